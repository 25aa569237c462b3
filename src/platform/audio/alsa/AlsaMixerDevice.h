#pragma once
// A mixer device over one ALSA card's capture controls. The recording destination's selection
// control is a MUX over the card's capture-source enumeration when it has one, else a MIXER
// over the elements with a capture switch (each switch adds its input to the recording), else
// a MUX with the one input the card records. A port's VOLUME control is the capture volume of
// the element named like the port, else the card's "Capture" volume; values run from 0 to
// 65535 over the element's own range. Component types come from the names.
//
// Threads: as AudioMixerDevice; the control source's callback posts the changes.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/MixerDeviceBase.h"
#include "platform/audio/alsa/AlsaControlSource.h"

class AlsaMixerDevice : public MixerDeviceBase {
 public:
  AlsaMixerDevice(std::string productName, std::unique_ptr<AlsaControlSource> controls, HWND notify);

  static constexpr uint32_t kDestinationLineId = 0xFFFF0000;
  static constexpr uint32_t kSourceLineId = 0x10000;  // + port
  static constexpr uint32_t kSelectionControlId = 1;
  static constexpr uint32_t kVolumeControlId = 0x100;  // + element
  static constexpr uint32_t kMaxVolume = 0xFFFF;

  enum class Selection { None, Enumeration, Switches, Single };
  struct PortPlan {
    std::string name;
    size_t element = 0;  // the enumeration, the switch, or the one recording element
    std::optional<size_t> volumeElement;
  };
  struct Plan {
    Selection selection = Selection::None;
    std::vector<PortPlan> ports;
  };
  // How a card's elements become ports.
  static Plan MakePlan(const std::vector<AlsaElement>& elements);

 protected:
  HRESULT ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) override;
  HRESULT WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) override;

 private:
  void OnElementChanged(size_t element) const;
  HRESULT ReadSelection(std::vector<uint32_t>* values);
  HRESULT WriteSelection(const std::vector<uint32_t>& values);

  const Plan m_plan;
  // Last member: destroyed first, so its callback never outlives the rest.
  const std::unique_ptr<AlsaControlSource> m_controls;
};
