#pragma once
// The sound server (PulseAudio, or PipeWire through its PulseAudio interface): capture devices
// are the server's sources in its order, the monitors of outputs after the others;
// "Description" is the source's description, "FriendlyName" its name, and mixer N is the
// mixer of source N. Playback goes to the server's default output. The server converts
// between any PCM format and its devices', so the capabilities are what it converts.
//
// Threads: any thread; nothing changes after construction, and every call opens a connection
// of its own (the streams and mixers keep theirs).

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/pulse/PulseConnection.h"
#include "platform/audio/pulse/PulseSource.h"

class PulseAudioBackend : public AudioBackend {
 public:
  // Whether a server answers within kConnectTimeoutMs (none is started). A failure leaves the
  // reason through SetErrorInfo.
  static bool ServerAnswers();

  std::string Name() const override { return "pulse"; }
  std::vector<AudioDeviceInfo> CaptureDevices() override;
  HRESULT CaptureCaps(int device, AudioDeviceCaps* caps) override;
  HRESULT OpenCapture(int device, const WAVEFORMATEX& format, std::unique_ptr<AudioCaptureStream>* stream) override;
  HRESULT PlaybackCaps(AudioDeviceCaps* caps) override;
  HRESULT OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) override;
  int MixerCount() override;
  HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) override;

  static constexpr unsigned kConnectTimeoutMs = 1000;
  // How much captured audio may wait for a slow consumer before it is dropped.
  static constexpr unsigned kCaptureRingMs = 2000;

 private:
  // A new connection and the source at `position` (the capture device and mixer number).
  HRESULT OpenSource(int position, std::unique_ptr<PulseConnection>* connection, PulseSource* source) const;
};
