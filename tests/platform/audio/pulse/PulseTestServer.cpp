#include "platform/audio/pulse/PulseTestServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "support/Process.h"
#include "support/WavBytes.h"

bool PulseServerNamed() {
  const char* server = std::getenv("PULSE_SERVER");
  return server != nullptr && *server != '\0';
}

int DevicePosition(AudioBackend& backend, const std::string& name) {
  const std::vector<AudioDeviceInfo> devices = backend.CaptureDevices();
  for (size_t i = 0; i < devices.size(); ++i)
    if (devices[i].friendlyName == name) return static_cast<int>(i);
  return -1;
}

std::string Pactl(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"pactl"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessResult result = RunProcess(argv);
  EXPECT_EQ(result.exitCode, 0) << "pactl failed: " << result.err;
  return result.out;
}

namespace {

int NextSerial() {
  static std::atomic<int> serial{0};
  return serial++;
}

}  // namespace

TestDevice::TestDevice(Kind kind) : m_kind(kind), m_serial(NextSerial()) {
  m_name = "corvox_test_" + std::to_string(getpid()) + "_" + std::to_string(m_serial);
  const ProcessResult loaded = kind == NullOutput
                                   ? RunProcess({"pactl", "load-module", "module-null-sink", "sink_name=" + m_name,
                                                 "sink_properties=device.description=" + Description()})
                                   : RunProcess({"pactl", "load-module", "module-null-source", "source_name=" + m_name,
                                                 "description=" + Description()});
  EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
  m_module = loaded.out.substr(0, loaded.out.find('\n'));
  if (kind != NullOutput || m_module.empty()) return;
  // An idle null output renders in blocks of up to two seconds, and its monitor stalls until
  // the next block: a listener that asks for little latency keeps it rendering in small steps.
  m_listener = fork();
  if (m_listener == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    execlp("parecord", "parecord", "--raw", "--latency-msec=10", "--device", SourceName().c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2200));
}

TestDevice::~TestDevice() {
  if (m_listener > 0) {
    kill(m_listener, SIGTERM);
    waitpid(m_listener, nullptr, 0);
  }
  if (!m_module.empty()) RunProcess({"pactl", "unload-module", m_module});
}

std::vector<uint8_t> SineBytes(uint32_t rateHz, double frequencyHz, double amplitude, double seconds) {
  const size_t frames = static_cast<size_t>(rateHz * seconds);
  std::vector<int32_t> values;
  values.reserve(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    const auto value =
        static_cast<int32_t>(std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequencyHz * i / rateHz)));
    values.push_back(value);
    values.push_back(value);
  }
  return PcmBytes(16, values);
}

ToneMeasure MeasureTone(const std::vector<uint8_t>& pcm, uint32_t rateHz) {
  const size_t frames = pcm.size() / 4;
  const auto left = [&](size_t frame) {
    return static_cast<int16_t>(pcm[frame * 4] | pcm[frame * 4 + 1] << 8) / 32768.0;
  };
  constexpr double kThreshold = 0.01;
  ToneMeasure measure;
  size_t first = frames, last = 0;
  for (size_t i = 0; i < frames; ++i) {
    if (std::fabs(left(i)) <= kThreshold) continue;
    first = std::min(first, i);
    last = i;
  }
  if (first >= frames) return measure;
  measure.firstFrame = first;
  measure.frames = last - first + 1;
  double sum = 0;
  size_t rises = 0;
  for (size_t i = first; i <= last; ++i) {
    sum += left(i) * left(i);
    if (i > first && left(i - 1) < 0 && left(i) >= 0) ++rises;
  }
  measure.rms = std::sqrt(sum / static_cast<double>(measure.frames));
  measure.frequencyHz = rises * static_cast<double>(rateHz) / static_cast<double>(measure.frames);
  return measure;
}
