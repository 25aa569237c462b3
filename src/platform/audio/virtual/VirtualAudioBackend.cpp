#include "platform/audio/virtual/VirtualAudioBackend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/audio/virtual/FailingSignal.h"
#include "platform/audio/virtual/MixerLevelSignal.h"
#include "platform/audio/virtual/ToneGenerator.h"
#include "platform/audio/virtual/VirtualCaptureStream.h"
#include "platform/audio/virtual/VirtualMixerDevice.h"
#include "platform/audio/virtual/VirtualPlaybackStream.h"
#include "platform/audio/virtual/WavFileSignal.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::optional<uint64_t> FrameCount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  errno = 0;
  const unsigned long long frames = std::strtoull(text.c_str(), nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  return frames;
}

AudioDeviceCaps VirtualDeviceCaps() {
  AudioDeviceCaps caps;
  caps.minRateHz = 8000;
  caps.maxRateHz = 192000;
  caps.minChannels = 1;
  caps.maxChannels = 8;
  caps.bitsPerSample = {8, 16, 24, 32};
  return caps;
}

HRESULT CheckFormat(const WAVEFORMATEX& format, const char* device) {
  std::string reason;
  const HRESULT hr = VirtualDeviceCaps().Check(format, &reason);
  if (FAILED(hr)) SetErrorInfo(std::string("The ") + device + " refused the format: " + reason);
  return hr;
}

}  // namespace

VirtualAudioOptions VirtualAudioOptions::FromEnvironment() {
  VirtualAudioOptions options;
  options.inputPath = Environment("CORVOX_VIRTUAL_INPUT");
  options.paced = Environment("CORVOX_VIRTUAL_PACE") != "0";
  options.outputPath = Environment("CORVOX_VIRTUAL_OUTPUT");
  options.captureFailsAfterFrames = FrameCount(Environment("CORVOX_VIRTUAL_FAIL_AFTER"));
  return options;
}

VirtualAudioBackend::VirtualAudioBackend(VirtualAudioOptions options) : m_options(std::move(options)) {}

VirtualAudioOptions VirtualAudioBackend::Options() const {
  return m_options ? *m_options : VirtualAudioOptions::FromEnvironment();
}

std::vector<AudioDeviceInfo> VirtualAudioBackend::CaptureDevices() { return {{"Virtual Audio Input", "virtual"}}; }

HRESULT VirtualAudioBackend::CaptureCaps(int device, AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  if (device != 0) return VFW_E_NOT_FOUND;
  *caps = VirtualDeviceCaps();
  return S_OK;
}

HRESULT VirtualAudioBackend::OpenCapture(int device, const WAVEFORMATEX& format,
                                         std::unique_ptr<AudioCaptureStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  if (device != 0) {
    char text[80];
    std::snprintf(text, sizeof text, "There is no capture device %d.", device);
    SetErrorInfo(text);
    return VFW_E_NOT_FOUND;
  }
  HRESULT hr = CheckFormat(format, "capture device");
  if (FAILED(hr)) return hr;
  const VirtualAudioOptions options = Options();
  std::unique_ptr<VirtualSignal> signal;
  if (options.inputPath.empty()) {
    signal = std::make_unique<ToneGenerator>(format);
  } else {
    hr = WavFileSignal::Open(options.inputPath, format, &signal);
    if (FAILED(hr)) return hr;
  }
  signal = std::make_unique<MixerLevelSignal>(std::move(signal), m_mixer, format);
  if (options.captureFailsAfterFrames)
    signal = std::make_unique<FailingSignal>(std::move(signal), *options.captureFailsAfterFrames);
  *stream = std::make_unique<VirtualCaptureStream>(format, std::move(signal), options.paced);
  return S_OK;
}

HRESULT VirtualAudioBackend::PlaybackCaps(AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  *caps = VirtualDeviceCaps();
  return S_OK;
}

HRESULT VirtualAudioBackend::OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  HRESULT hr = CheckFormat(format, "playback device");
  if (FAILED(hr)) return hr;
  const VirtualAudioOptions options = Options();
  std::unique_ptr<WavFileWriter> played;
  if (!options.outputPath.empty()) {
    hr = WavFileWriter::Create(options.outputPath, format, &played);
    if (FAILED(hr)) return hr;
  }
  *stream = std::make_unique<VirtualPlaybackStream>(format, options.paced, std::move(played));
  return S_OK;
}

HRESULT VirtualAudioBackend::OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) {
  if (mixer == nullptr) return E_POINTER;
  mixer->reset();
  if (number != 0) {
    SetErrorInfo("There is no mixer " + std::to_string(number) + ".");
    return VFW_E_NOT_FOUND;
  }
  *mixer = std::make_unique<VirtualMixerDevice>(m_mixer, notify);
  return S_OK;
}
