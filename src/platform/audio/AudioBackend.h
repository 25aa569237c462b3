#pragma once
// An audio system the recorder can use: the sound server, ALSA, or the virtual devices for
// tests and demos. It lists capture devices (position N is the N-th device, and mixer N controls
// its inputs), says what each can do, and opens capture and playback streams and mixers.
//
// Threads: a backend is shared by the device enumerator, the capture and renderer filters and
// the CLI; every method may be called from any thread, and implementations keep no unguarded
// mutable state. The streams it opens carry their own threading rules.

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioCaptureStream.h"
#include "platform/audio/AudioDeviceCaps.h"
#include "platform/audio/AudioMixerDevice.h"
#include "platform/audio/AudioPlaybackStream.h"
#include "platform/media/WaveFormat.h"

struct AudioDeviceInfo {
  std::string description;   // what users read: the card's long name, the server's description
  std::string friendlyName;  // the short system name: the ALSA id, the server's source name
};

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;

  // "pulse", "alsa" or "virtual".
  virtual std::string Name() const = 0;

  // In the order the device positions refer to.
  virtual std::vector<AudioDeviceInfo> CaptureDevices() = 0;
  // VFW_E_NOT_FOUND for a position past the list.
  virtual HRESULT CaptureCaps(int device, AudioDeviceCaps* caps) = 0;
  // Opens device `device` (position in CaptureDevices) for `format`. A refusal (format the
  // device cannot take, device busy or gone, unreadable input) gives a failure code and a
  // readable text through SetErrorInfo on the calling thread.
  virtual HRESULT OpenCapture(int device, const WAVEFORMATEX& format, std::unique_ptr<AudioCaptureStream>* stream) = 0;

  // The default output device, as the audio renderer uses it.
  virtual HRESULT PlaybackCaps(AudioDeviceCaps* caps) = 0;
  virtual HRESULT OpenPlayback(const WAVEFORMATEX& format, std::unique_ptr<AudioPlaybackStream>* stream) = 0;

  // Mixer devices, numbered like the capture devices they control.
  virtual int MixerCount() = 0;
  // VFW_E_NOT_FOUND for a number past the list. Control changes go to `notify` (may be null).
  virtual HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) = 0;
};
