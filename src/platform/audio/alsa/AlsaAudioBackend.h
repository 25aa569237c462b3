#pragma once
// The sound cards through ALSA: one capture device and one mixer per card that records, in
// card order; "Description" is the card's long name, "FriendlyName" its id. Capture converts
// to the chosen format where the hardware cannot take it, but the capabilities are what the
// hardware itself offers. Playback goes to ALSA's default device.
//
// Threads: any thread; everything is fixed at construction and each stream or mixer opened
// guards itself.

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaCards.h"
#include "platform/audio/alsa/AlsaConfig.h"

class AlsaAudioBackend : public AudioBackend {
 public:
  // The system's cards.
  AlsaAudioBackend();
  // Given cards and playback device, opened from `config` (null: the system's configuration).
  AlsaAudioBackend(std::vector<AlsaCard> cards, std::string playbackPcm, std::shared_ptr<const AlsaConfig> config);

  std::string Name() const override { return "alsa"; }
  std::vector<AudioDeviceInfo> CaptureDevices() override;
  HRESULT CaptureCaps(int device, AudioDeviceCaps* caps) override;
  HRESULT OpenCapture(int device, const WAVEFORMATEX& format, std::unique_ptr<AudioCaptureStream>* stream) override;
  HRESULT PlaybackCaps(AudioDeviceCaps* caps) override;
  HRESULT OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) override;
  int MixerCount() override { return static_cast<int>(m_cards.size()); }
  HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) override;

  // How much captured audio may wait for a slow consumer before it is dropped.
  static constexpr unsigned kCaptureRingMs = 2000;

 private:
  // The card at `position`, or null with VFW_E_NOT_FOUND's text set.
  const AlsaCard* Card(int position) const;
  // What the PCM offers; when it cannot be probed (busy, say), what the conversion layer takes.
  HRESULT Probe(const std::vector<std::string>& pcms, bool capture, AudioDeviceCaps* caps) const;

  const std::vector<AlsaCard> m_cards;
  const std::string m_playbackPcm;
  const std::shared_ptr<const AlsaConfig> m_config;
};
