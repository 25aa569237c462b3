#pragma once
// The file writer: a renderer that writes each sample's bytes at the file offset given by the
// sample's start time (samples without a time are appended), and whose input pin offers IStream
// so an upstream writer can patch a header, and IFileContinuation, so a writer whose format has
// a size limit can go on in the next numbered part (FileParts.h). The file is created at
// Stopped -> Paused and closed when the filter stops. A failed write is reported as
// EC_ERRORABORT with its code and refused upstream, so nothing is dropped silently.
//
// Threads: Receive, EndOfStream and ContinueInNextFile run on the upstream streaming thread;
// IStream calls come from the streaming thread and from the control thread at stop;
// SetFileName, Pause and Stop from the control thread. m_fileMutex guards m_fd, m_path,
// m_part, m_position and m_errorReported.

#include <memory>
#include <mutex>
#include <string>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/CFileSinkName.h"

class CFileWriter : public CBaseFilter, public CFileSinkName, public IAMFilterMiscFlags {
 public:
  CFileWriter();
  ~CFileWriter() override;

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  HRESULT Pause() override;
  HRESULT Stop() override;

  uint32_t GetMiscFlags() override;

 private:
  class InputPin;

  HRESULT WriteAt(uint64_t offset, const uint8_t* data, size_t length);
  HRESULT ContinueInNextPart();
  HRESULT ReportWriteFailure(HRESULT hr, int error);
  // Syncs and closes the file; a failure is reported like a failed write.
  HRESULT CloseFile();

  std::unique_ptr<InputPin> m_input;

  std::mutex m_fileMutex;
  int m_fd = -1;
  std::string m_path;  // the file m_fd writes: the name given, or its current part
  int m_part = 1;
  uint64_t m_position = 0;
  bool m_errorReported = false;
};
