#pragma once
// A PulseAudio server of the test's own (a null output, anonymous access on a socket in a
// scratch folder), for tests that take the server away mid-recording. Its address is empty
// when the pulseaudio program is missing or would not start; such tests skip. Test thread only.

#include <sys/types.h>

#include <string>

#include "support/ScratchFolder.h"

class PrivatePulseServer {
 public:
  PrivatePulseServer();
  ~PrivatePulseServer();
  PrivatePulseServer(const PrivatePulseServer&) = delete;
  PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

  // Empty when it could not be started.
  const std::string& Address() const { return m_address; }
  void Kill();

 private:
  ScratchFolder m_folder;
  std::string m_address;
  pid_t m_pid = -1;
};
