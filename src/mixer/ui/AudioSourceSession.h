#pragma once
// What the audio device page does with the system mixer, apart from its widgets: lists the
// mixer devices, opens one with the page as notify window, selects ports and sets the
// recording volume at once (system-wide), keeps bit 0 of "Preview Audio" in step with the
// selected port, and tells which control a mixer notification is about. No Qt.
//
// User-interface thread only. Notifications of the open mixer arrive at the notify window
// from a thread of the audio backend's; opening another device or destroying the session
// stops them before returning.

#include <cstdint>
#include <string>
#include <vector>

#include "mixer/AudioMixer.h"

class SettingsStore;

// "Preview Audio" with bit 0 set for a port whose source line is of `componentType`, cleared
// for an analog source line; the other bits as they were.
uint32_t PreviewFlagsForPort(uint32_t previewFlags, uint32_t componentType);

class AudioSourceSession {
 public:
  enum class OpenResult {
    Ready,           // ports listed, one of them selected
    NoPorts,         // the device has nothing to record from
    NoSelectedPort,  // ports listed, but the mixer reports none selected
  };

  // What the volume slider shows.
  struct VolumeState {
    bool enabled = false;
    int minimum = 0;
    int maximum = 65535;
    int tickInterval = 6553;  // a tenth of the range
    int position = kNoVolumePosition;
  };
  static constexpr int kNoVolumePosition = 32768;

  enum class Change { Other, Selection, Volume };

  // Works on the audio backend in use.
  explicit AudioSourceSession(SettingsStore& settings);

  // The product names of every mixer device, in number order; opens and closes each.
  std::vector<std::string> DeviceNames();
  // Opens device `index` with `notify` as notify window and lists its ports. When Ready, the
  // port selected now is the initial port and the preview flag follows it.
  OpenResult OpenDevice(HWND notify, int index);

  const std::vector<AudioMixer::Port>& Ports() const { return m_ports; }
  // The port selected when the device was opened, or -1.
  int InitialPort() const { return m_initialPort; }
  // The port the mixer reports as selected now (or -1); the preview flag follows it.
  int FollowSelectedPort();
  // Selects the port in the mixer and lets the preview flag follow it.
  bool SelectPort(int index);
  // The volume control of the selected port, or a disabled slider when it has none.
  VolumeState ReadVolume();
  // Sets the selected port's recording volume.
  bool SetVolume(int position);
  // What a MM_MIXM_CONTROL_CHANGE with these parameters is about.
  Change ClassifyChange(WPARAM handle, LPARAM controlId) const;

 private:
  void AdjustPreviewFlag(int port);
  bool PrepareSelectedPortVolume();

  SettingsStore& m_settings;
  AudioMixer m_mixer;
  std::vector<AudioMixer::Port> m_ports;
  int m_initialPort = -1;
};
