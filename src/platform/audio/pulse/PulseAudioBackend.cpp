#include "platform/audio/pulse/PulseAudioBackend.h"

#include "platform/audio/pulse/PulseCaptureStream.h"
#include "platform/audio/pulse/PulseMixerDevice.h"
#include "platform/audio/pulse/PulsePlaybackStream.h"
#include "platform/audio/pulse/PulseSources.h"

namespace {

// The server's sources, or none when it cannot be asked.
HRESULT ListSources(std::unique_ptr<PulseConnection>* connection, std::vector<PulseSource>* sources) {
  HRESULT hr = PulseConnection::Open(PulseAudioBackend::kConnectTimeoutMs, connection);
  if (FAILED(hr)) return hr;
  PulseConnection::Lock lock(**connection);
  return ListPulseSources(**connection, sources);
}

}  // namespace

bool PulseAudioBackend::ServerAnswers() {
  std::unique_ptr<PulseConnection> connection;
  return SUCCEEDED(PulseConnection::Open(kConnectTimeoutMs, &connection));
}

std::vector<AudioDeviceInfo> PulseAudioBackend::CaptureDevices() {
  std::unique_ptr<PulseConnection> connection;
  std::vector<PulseSource> sources;
  std::vector<AudioDeviceInfo> devices;
  if (FAILED(ListSources(&connection, &sources))) return devices;
  for (const PulseSource& source : sources) devices.push_back({source.description, source.name});
  return devices;
}

HRESULT PulseAudioBackend::OpenSource(int position, std::unique_ptr<PulseConnection>* connection,
                                      PulseSource* source) const {
  std::vector<PulseSource> sources;
  const HRESULT hr = ListSources(connection, &sources);
  if (FAILED(hr)) return hr;
  if (position < 0 || static_cast<size_t>(position) >= sources.size()) {
    SetErrorInfo("The sound server has no source number " + std::to_string(position) + "; it has " +
                 std::to_string(sources.size()) + ".");
    return VFW_E_NOT_FOUND;
  }
  *source = sources[static_cast<size_t>(position)];
  return S_OK;
}

HRESULT PulseAudioBackend::CaptureCaps(int device, AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  std::unique_ptr<PulseConnection> connection;
  PulseSource source;
  const HRESULT hr = OpenSource(device, &connection, &source);
  if (FAILED(hr)) return hr;
  *caps = ConvertedCaps();
  return S_OK;
}

HRESULT PulseAudioBackend::OpenCapture(int device, const WAVEFORMATEX& format,
                                       std::unique_ptr<AudioCaptureStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  std::string reason;
  if (FAILED(ConvertedCaps().Check(format, &reason))) {
    SetErrorInfo("The sound server cannot record this format: " + reason);
    return VFW_E_INVALIDMEDIATYPE;
  }
  std::unique_ptr<PulseConnection> connection;
  PulseSource source;
  const HRESULT hr = OpenSource(device, &connection, &source);
  if (FAILED(hr)) return hr;
  return PulseCaptureStream::Open(std::move(connection), source, format, kCaptureRingMs, stream);
}

HRESULT PulseAudioBackend::PlaybackCaps(AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  *caps = ConvertedCaps();
  return S_OK;
}

HRESULT PulseAudioBackend::OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  std::string reason;
  if (FAILED(ConvertedCaps().Check(format, &reason))) {
    SetErrorInfo("The sound server cannot play this format: " + reason);
    return VFW_E_INVALIDMEDIATYPE;
  }
  std::unique_ptr<PulseConnection> connection;
  const HRESULT hr = PulseConnection::Open(kConnectTimeoutMs, &connection);
  if (FAILED(hr)) return hr;
  return PulsePlaybackStream::Open(std::move(connection), format, stream);
}

int PulseAudioBackend::MixerCount() { return static_cast<int>(CaptureDevices().size()); }

HRESULT PulseAudioBackend::OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) {
  if (mixer == nullptr) return E_POINTER;
  mixer->reset();
  std::unique_ptr<PulseConnection> connection;
  PulseSource source;
  const HRESULT hr = OpenSource(number, &connection, &source);
  if (FAILED(hr)) return hr;
  return PulseMixerDevice::Open(std::move(connection), source, notify, mixer);
}
