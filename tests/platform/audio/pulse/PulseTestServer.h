#pragma once
// What the sound-server tests share. scripts/test.sh starts a private PulseAudio server with a
// null output ("corvox_null", whose monitor hears what is played) and a silent input
// ("corvox_silence"), and names it in PULSE_SERVER. Tests that need a server skip without it.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "support/PrivatePulseServer.h"
#include "support/ScratchFolder.h"

#define SKIP_WITHOUT_PULSE_SERVER()                                         \
  if (!PulseServerNamed())                                                  \
  GTEST_SKIP() << "PULSE_SERVER is unset: no sound server to test against " \
                  "(scripts/test.sh starts a private one)"

// A null output or silent input of the test's own, so tests that run at the same time do not
// hear each other; unloaded when the test ends.
class TestDevice {
 public:
  enum Kind { NullOutput, SilentInput };
  explicit TestDevice(Kind kind);
  ~TestDevice();
  TestDevice(const TestDevice&) = delete;
  TestDevice& operator=(const TestDevice&) = delete;

  const std::string& Name() const { return m_name; }
  // The source that records it: the output's monitor, or the input itself.
  std::string SourceName() const { return m_kind == NullOutput ? m_name + ".monitor" : m_name; }
  std::string Description() const { return "Corvox-Test-" + std::to_string(m_serial); }

 private:
  const Kind m_kind;
  const int m_serial;
  std::string m_name;
  std::string m_module;
  pid_t m_listener = -1;
};

bool PulseServerNamed();

// The capture device (and mixer) number of the source named `name`, or -1.
int DevicePosition(AudioBackend& backend, const std::string& name);

// pactl with `args` against the test server; its standard output.
std::string Pactl(const std::vector<std::string>& args);

// `seconds` of a sine of `frequencyHz` at `amplitude` (of full scale), 16-bit stereo.
std::vector<uint8_t> SineBytes(uint32_t rateHz, double frequencyHz, double amplitude, double seconds);

struct ToneMeasure {
  size_t frames = 0;  // of the stretch that is not silence
  size_t firstFrame = 0;
  double rms = 0;  // of full scale
  double frequencyHz = 0;
};
// The stretch of 16-bit stereo PCM from its first to its last sample above 1 % of full scale,
// measured on the left channel.
ToneMeasure MeasureTone(const std::vector<uint8_t>& pcm, uint32_t rateHz);
