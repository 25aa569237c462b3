#include <gtest/gtest.h>

#include <chrono>

#include "platform/audio/MixerComponentType.h"
#include "platform/audio/alsa/AlsaMixerDevice.h"
#include "platform/audio/alsa/ScriptedAlsaControls.h"
#include "platform/ui/MessageLoop.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kSelection = AlsaMixerDevice::kSelectionControlId;
constexpr uint32_t kDestination = AlsaMixerDevice::kDestinationLineId;

uint32_t VolumeId(size_t element) { return AlsaMixerDevice::kVolumeControlId + static_cast<uint32_t>(element); }

class AlsaMixerDeviceTest : public ::testing::Test {
 protected:
  void Make(std::vector<AlsaElement> elements) {
    auto controls = std::make_unique<ScriptedAlsaControls>(std::move(elements));
    m_controls = controls.get();
    m_device = std::make_unique<AlsaMixerDevice>("Test Card", std::move(controls), &m_loop);
  }

  MixerControl Control(uint32_t lineId, uint32_t type) {
    MixerControl control;
    EXPECT_EQ(m_device->GetLineControlByType(lineId, type, &control), S_OK);
    return control;
  }

  std::vector<uint32_t> Values(uint32_t controlId) {
    std::vector<uint32_t> values;
    EXPECT_EQ(m_device->GetControlValues(controlId, &values), S_OK);
    return values;
  }

  // The control ids of the change notices posted so far.
  std::vector<uint32_t> Notices() {
    std::vector<uint32_t> ids;
    MSG message;
    while (m_loop.GetMessage(message, 0ms)) {
      EXPECT_EQ(message.message, MM_MIXM_CONTROL_CHANGE);
      EXPECT_EQ(message.wParam, m_device->Handle());
      ids.push_back(static_cast<uint32_t>(message.lParam));
    }
    return ids;
  }

  MessageLoop m_loop;
  ScriptedAlsaControls* m_controls = nullptr;
  std::unique_ptr<AlsaMixerDevice> m_device;
};

// A typical onboard codec: one capture-source enumeration, the card's "Capture" volume, and
// a separate volume for the microphone.
TEST_F(AlsaMixerDeviceTest, CaptureSourceEnumerationBecomesAMuxOfTypedPorts) {
  Make({VolumeElement("Capture", 0, 63, true), SourceEnum("Input Source", {"Front Mic", "Line", "CD", "Aux"}),
        VolumeElement("Front Mic", 0, 3)});
  EXPECT_EQ(m_device->ProductName(), "Test Card");
  MixerLine destination;
  ASSERT_EQ(m_device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, &destination), S_OK);
  EXPECT_EQ(destination.lineId, kDestination);
  EXPECT_EQ(m_device->GetLineControlByType(kDestination, MIXERCONTROL_CONTROLTYPE_MIXER, nullptr), E_POINTER);
  MixerControl mixer;
  EXPECT_EQ(m_device->GetLineControlByType(kDestination, MIXERCONTROL_CONTROLTYPE_MIXER, &mixer), VFW_E_NOT_FOUND);
  const MixerControl mux = Control(kDestination, MIXERCONTROL_CONTROLTYPE_MUX);
  EXPECT_EQ(mux.items, 4u);

  std::vector<MixerListText> items;
  ASSERT_EQ(m_device->GetControlListText(mux.controlId, &items), S_OK);
  const std::vector<uint32_t> types = {MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, MIXERLINE_COMPONENTTYPE_SRC_LINE,
                                       MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, MIXERLINE_COMPONENTTYPE_SRC_ANALOG};
  const std::vector<std::string> names = {"Front Mic", "Line", "CD", "Aux"};
  ASSERT_EQ(items.size(), 4u);
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].name, names[i]);
    MixerLine source;
    ASSERT_EQ(m_device->GetLineInfoById(items[i].param1, &source), S_OK);
    EXPECT_EQ(source.componentType, types[i]) << names[i];
    // The microphone has its own volume; the other inputs are set with the card's "Capture".
    EXPECT_EQ(Control(source.lineId, MIXERCONTROL_CONTROLTYPE_VOLUME).controlId, VolumeId(i == 0 ? 2 : 0));
  }

  m_controls->At(1).item = 2;
  EXPECT_EQ(Values(kSelection), (std::vector<uint32_t>{0, 0, 1, 0}));
  ASSERT_EQ(m_device->SetControlValues(kSelection, {0, 1, 0, 0}), S_OK);
  EXPECT_EQ(m_controls->At(1).item, 1u);
  // A MUX selects exactly one input; a refused write changes nothing.
  EXPECT_EQ(m_device->SetControlValues(kSelection, {1, 1, 0, 0}), E_INVALIDARG);
  EXPECT_EQ(m_device->SetControlValues(kSelection, {0, 0, 0, 0}), E_INVALIDARG);
  EXPECT_EQ(m_device->SetControlValues(kSelection, {1, 0, 0}), E_INVALIDARG);
  EXPECT_EQ(m_controls->At(1).item, 1u);
}

TEST_F(AlsaMixerDeviceTest, VolumesSpanTheMixerRangeOverTheElementRange) {
  Make({VolumeElement("Capture", -10, 53)});
  const MixerControl volume = Control(AlsaMixerDevice::kSourceLineId, MIXERCONTROL_CONTROLTYPE_VOLUME);
  EXPECT_EQ(volume.minimum, 0u);
  EXPECT_EQ(volume.maximum, 65535u);
  EXPECT_EQ(volume.steps, 63u);

  ASSERT_EQ(m_device->SetControlValues(volume.controlId, {65535}), S_OK);
  EXPECT_EQ(m_controls->At(0).volume, 53);
  EXPECT_EQ(Values(volume.controlId), std::vector<uint32_t>{65535});
  ASSERT_EQ(m_device->SetControlValues(volume.controlId, {0}), S_OK);
  EXPECT_EQ(m_controls->At(0).volume, -10);
  ASSERT_EQ(m_device->SetControlValues(volume.controlId, {32768}), S_OK);
  EXPECT_EQ(m_controls->At(0).volume, 22);                            // -10 + 31.5, rounded
  EXPECT_EQ(Values(volume.controlId), std::vector<uint32_t>{33288});  // the nearest step
  EXPECT_EQ(m_device->SetControlValues(volume.controlId, {65536}), E_INVALIDARG);
  EXPECT_EQ(m_controls->At(0).volume, 22);

  // A card with nothing but a volume records its one input, always selected.
  const MixerControl mux = Control(kDestination, MIXERCONTROL_CONTROLTYPE_MUX);
  EXPECT_EQ(mux.items, 1u);
  EXPECT_EQ(Values(kSelection), std::vector<uint32_t>{1});
}

TEST_F(AlsaMixerDeviceTest, CaptureSwitchesBecomeAMixerWithoutTheMasterSwitch) {
  Make({VolumeElement("Capture", 0, 31, true), SwitchElement("Mic"), VolumeElement("Line", 0, 15, true)});
  const MixerControl mixer = Control(kDestination, MIXERCONTROL_CONTROLTYPE_MIXER);
  std::vector<MixerListText> items;
  ASSERT_EQ(m_device->GetControlListText(mixer.controlId, &items), S_OK);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].name, "Mic");
  EXPECT_EQ(items[1].name, "Line");
  EXPECT_EQ(Control(items[0].param1, MIXERCONTROL_CONTROLTYPE_VOLUME).controlId, VolumeId(0));
  EXPECT_EQ(Control(items[1].param1, MIXERCONTROL_CONTROLTYPE_VOLUME).controlId, VolumeId(2));

  m_controls->At(0).on = true;
  EXPECT_EQ(Values(kSelection), (std::vector<uint32_t>{0, 0}));
  // Several inputs may record together, and none at all.
  ASSERT_EQ(m_device->SetControlValues(kSelection, {1, 1}), S_OK);
  EXPECT_TRUE(m_controls->At(1).on && m_controls->At(2).on);
  ASSERT_EQ(m_device->SetControlValues(kSelection, {0, 1}), S_OK);
  EXPECT_EQ(Values(kSelection), (std::vector<uint32_t>{0, 1}));
  EXPECT_TRUE(m_controls->At(0).on);
}

TEST_F(AlsaMixerDeviceTest, ACardWithoutCaptureControlsHasNoSelection) {
  Make({});
  MixerLine destination;
  ASSERT_EQ(m_device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, &destination), S_OK);
  MixerControl control;
  EXPECT_EQ(m_device->GetLineControlByType(kDestination, MIXERCONTROL_CONTROLTYPE_MUX, &control), VFW_E_NOT_FOUND);
  EXPECT_EQ(m_device->GetLineControlByType(kDestination, MIXERCONTROL_CONTROLTYPE_MIXER, &control), VFW_E_NOT_FOUND);
  std::vector<uint32_t> values;
  EXPECT_EQ(m_device->GetControlValues(kSelection, &values), VFW_E_NOT_FOUND);
}

TEST_F(AlsaMixerDeviceTest, ChangesFromAnyProgramArePostedWithTheControlThatChanged) {
  Make({VolumeElement("Capture", 0, 63), SourceEnum("Capture Source", {"Mic", "Line"}), VolumeElement("Mic", 0, 3),
        VolumeElement("Headphone Playback", 0, 3)});
  m_controls->ChangedElsewhere(1);
  m_controls->ChangedElsewhere(2);
  m_controls->ChangedElsewhere(0);
  // An element no port uses is not a control of this mixer.
  m_controls->ChangedElsewhere(3);
  EXPECT_EQ(Notices(), (std::vector<uint32_t>{kSelection, VolumeId(2), VolumeId(0)}));
  ASSERT_EQ(m_device->SetControlValues(kSelection, {0, 1}), S_OK);
  EXPECT_EQ(Notices(), std::vector<uint32_t>{kSelection});
}

TEST_F(AlsaMixerDeviceTest, FailuresOfTheCardAreReportedAndChangeNothing) {
  Make({SourceEnum("Capture Source", {"Mic", "Line"}), VolumeElement("Mic", 0, 3)});
  m_controls->Break();
  std::vector<uint32_t> values = {7};
  EXPECT_EQ(m_device->GetControlValues(kSelection, &values), E_FAIL);
  EXPECT_EQ(values, std::vector<uint32_t>{7});
  EXPECT_EQ(m_device->SetControlValues(kSelection, {0, 1}), E_FAIL);
  EXPECT_EQ(m_device->GetControlValues(VolumeId(1), &values), E_FAIL);
}

TEST(AlsaComponentTypeTest, TypesComeFromTheWordsOfTheName) {
  EXPECT_EQ(ComponentTypeFromName("Mic"), MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  EXPECT_EQ(ComponentTypeFromName("Internal Mic"), MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  EXPECT_EQ(ComponentTypeFromName("Line Mic"), MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  EXPECT_EQ(ComponentTypeFromName("Rear Line"), MIXERLINE_COMPONENTTYPE_SRC_LINE);
  EXPECT_EQ(ComponentTypeFromName("CD"), MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);
  EXPECT_EQ(ComponentTypeFromName("Aux"), MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
  EXPECT_EQ(ComponentTypeFromName("Analog In"), MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
  EXPECT_EQ(ComponentTypeFromName("IEC958 In"), MIXERLINE_COMPONENTTYPE_SRC_DIGITAL);
  EXPECT_EQ(ComponentTypeFromName("Stereo Mix"), MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
  // Words, not letters: "Cdrom" and "Capture" name nothing known.
  EXPECT_EQ(ComponentTypeFromName("Cdrom"), MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED);
  EXPECT_EQ(ComponentTypeFromName("Capture"), MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED);
}

}  // namespace
