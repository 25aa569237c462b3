#pragma once
// One mixer device of the audio system: the input ports that can feed its recording
// destination, which of them records, and the recording volume of a port. Changes act on the
// system's mixer, not on a private copy. Every operation reports failure by its result and
// then has changed nothing.
//
// Used on the user-interface thread only. While a device is open, control changes arrive at
// the notify window as MM_MIXM_CONTROL_CHANGE (wParam Handle(), lParam the control id).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/ui/Window.h"

class AudioMixer {
 public:
  struct Port {
    std::string name;
    uint32_t componentType = 0;  // of the source line
    uint32_t lineId = 0;
  };

  // Works on the audio backend in use.
  AudioMixer();
  explicit AudioMixer(std::shared_ptr<AudioBackend> backend);
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Asked of the backend once, then kept.
  int GetDeviceCount();
  // False when there is no mixer `number`. Otherwise closes the open device, forgets its
  // ports, opens `number` with `notify` as notify window and gives true, even when the open
  // itself failed: the calls after it then fail.
  bool Open(HWND notify, int number);
  // S_FALSE when nothing was open.
  HRESULT Close();
  // The product name; empty when nothing is open.
  std::string GetDeviceName();
  // The open mixer's number, or -1.
  int MixerNumber() const { return m_mixerNumber; }
  // The recording destination's name, known once EnumPorts has run.
  const std::string& DestinationName() const { return m_destinationName; }

  // The ports of the recording destination in the order of its selection control; kept
  // until the next Open.
  bool EnumPorts(std::vector<Port>* ports);
  // The first selected port, or -1 when none is.
  int GetSelectedPort();
  // Selects the port: the only one for a MUX, added to the others for a MIXER.
  bool SelectPort(int index);
  // Makes the port's VOLUME control the one GetVolume and SetVolume act on; gives its short name.
  bool PreparePortVolume(int index, std::string* name);
  // The prepared control's value and range, or -1.
  int64_t GetVolume(uint32_t* minimum, uint32_t* maximum);
  bool SetVolume(uint32_t value);

  // What notifications carry, to tell which control changed.
  WPARAM Handle() const;
  bool IsSelectionControl(uint32_t controlId) const { return m_selectionReady && controlId == m_selectionControlId; }
  bool IsVolumeControl(uint32_t controlId) const { return m_volumeReady && controlId == m_volumeControlId; }
  uint32_t SelectionControlType() const { return m_selectionControlType; }

 private:
  bool ReadSelection(std::vector<uint32_t>* values);

  const std::shared_ptr<AudioBackend> m_backend;
  int m_deviceCount = -1;
  int m_mixerNumber = -1;
  std::unique_ptr<AudioMixerDevice> m_device;
  std::string m_productName;
  std::string m_destinationName;
  std::vector<Port> m_ports;
  bool m_selectionReady = false;
  uint32_t m_selectionControlType = 0;
  uint32_t m_selectionControlId = 0;
  uint32_t m_selectionItems = 0;
  bool m_volumeReady = false;
  uint32_t m_volumeControlId = 0;
  uint32_t m_volumeMinimum = 0;
  uint32_t m_volumeMaximum = 0;
};
