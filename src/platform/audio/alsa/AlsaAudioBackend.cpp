#include "platform/audio/alsa/AlsaAudioBackend.h"

#include "platform/audio/alsa/AlsaCaptureStream.h"
#include "platform/audio/alsa/AlsaMixerDevice.h"
#include "platform/audio/alsa/AlsaPcm.h"
#include "platform/audio/alsa/AlsaPlaybackStream.h"
#include "platform/audio/alsa/AlsaSelemControls.h"

AlsaAudioBackend::AlsaAudioBackend() : AlsaAudioBackend(ListAlsaCards(), "default", nullptr) {}

AlsaAudioBackend::AlsaAudioBackend(std::vector<AlsaCard> cards, std::string playbackPcm,
                                   std::shared_ptr<const AlsaConfig> config)
    : m_cards(std::move(cards)), m_playbackPcm(std::move(playbackPcm)), m_config(std::move(config)) {}

std::vector<AudioDeviceInfo> AlsaAudioBackend::CaptureDevices() {
  std::vector<AudioDeviceInfo> devices;
  for (const AlsaCard& card : m_cards) devices.push_back({card.longName, card.id});
  return devices;
}

const AlsaCard* AlsaAudioBackend::Card(int position) const {
  if (position >= 0 && static_cast<size_t>(position) < m_cards.size()) return &m_cards[static_cast<size_t>(position)];
  SetErrorInfo("There is no ALSA sound card number " + std::to_string(position) + " that can record.");
  return nullptr;
}

HRESULT AlsaAudioBackend::Probe(const std::vector<std::string>& pcms, bool capture, AudioDeviceCaps* caps) const {
  for (const std::string& name : pcms) {
    std::unique_ptr<AlsaPcm> pcm;
    if (SUCCEEDED(AlsaPcm::Open(name, capture, m_config.get(), &pcm)) && SUCCEEDED(pcm->Probe(caps))) return S_OK;
  }
  *caps = ConvertedCaps();
  return S_OK;
}

HRESULT AlsaAudioBackend::CaptureCaps(int device, AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  const AlsaCard* card = Card(device);
  if (card == nullptr) return VFW_E_NOT_FOUND;
  return Probe({card->probePcm, card->capturePcm}, true, caps);
}

HRESULT AlsaAudioBackend::OpenCapture(int device, const WAVEFORMATEX& format,
                                      std::unique_ptr<AudioCaptureStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  const AlsaCard* card = Card(device);
  if (card == nullptr) return VFW_E_NOT_FOUND;
  return AlsaCaptureStream::Open(card->capturePcm, m_config.get(), format, kCaptureRingMs, stream);
}

HRESULT AlsaAudioBackend::PlaybackCaps(AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  return Probe({m_playbackPcm}, false, caps);
}

HRESULT AlsaAudioBackend::OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) {
  return AlsaPlaybackStream::Open(m_playbackPcm, m_config.get(), format, stream);
}

HRESULT AlsaAudioBackend::OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) {
  if (mixer == nullptr) return E_POINTER;
  mixer->reset();
  const AlsaCard* card = Card(number);
  if (card == nullptr) return VFW_E_NOT_FOUND;
  std::unique_ptr<AlsaControlSource> controls;
  const HRESULT hr = AlsaSelemControls::Open(card->mixer, &controls);
  if (FAILED(hr)) return hr;
  *mixer = std::make_unique<AlsaMixerDevice>(card->name, std::move(controls), notify);
  return S_OK;
}
