#pragma once
// The virtual audio system for tests and demos: one capture device hearing a test tone or a
// WAV file through its mixer (VirtualMixerState: ports and a recording volume that scales the
// signal), and a playback device that paces like hardware and can keep what it played.
// Any thread may call it: the mixer state guards itself, the rest is fixed at construction.

#include <optional>
#include <string>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/virtual/VirtualMixerState.h"

struct VirtualAudioOptions {
  std::string inputPath;   // WAV file the capture device hears; empty: the test tone
  bool paced = true;       // real-time pacing of capture and playback
  std::string outputPath;  // WAV file that receives what was played; empty: discarded
  // Test hook: capture fails with an I/O error once this many frames were read.
  std::optional<uint64_t> captureFailsAfterFrames;

  // CORVOX_VIRTUAL_INPUT, CORVOX_VIRTUAL_PACE ("0" turns pacing off), CORVOX_VIRTUAL_OUTPUT,
  // CORVOX_VIRTUAL_FAIL_AFTER (a frame count; anything else leaves the hook off).
  static VirtualAudioOptions FromEnvironment();
};

class VirtualAudioBackend : public AudioBackend {
 public:
  // Reads the options from the environment at each open, so a change applies to the next
  // recording or preview.
  VirtualAudioBackend() = default;
  explicit VirtualAudioBackend(VirtualAudioOptions options);

  std::string Name() const override { return "virtual"; }
  std::vector<AudioDeviceInfo> CaptureDevices() override;
  HRESULT CaptureCaps(int device, AudioDeviceCaps* caps) override;
  HRESULT OpenCapture(int device, const WAVEFORMATEX& format, std::unique_ptr<AudioCaptureStream>* stream) override;
  HRESULT PlaybackCaps(AudioDeviceCaps* caps) override;
  HRESULT OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) override;
  int MixerCount() override { return 1; }
  HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) override;

 private:
  VirtualAudioOptions Options() const;

  std::optional<VirtualAudioOptions> m_options;
  const std::shared_ptr<VirtualMixerState> m_mixer = std::make_shared<VirtualMixerState>();
};
