// The mixer of a sound-server source: its layout from the source's ports, the volume scale,
// and, against the test server, changes in both directions.

#include <gtest/gtest.h>
#include <pulse/def.h>
#include <pulse/volume.h>

#include <algorithm>
#include <chrono>
#include <sstream>

#include "platform/audio/pulse/PulseAudioBackend.h"
#include "platform/audio/pulse/PulseMixerDevice.h"
#include "platform/audio/pulse/PulseTestServer.h"
#include "platform/ui/MessageLoop.h"

namespace {

using namespace std::chrono_literals;

PulseSource CardSource() {
  PulseSource source;
  source.name = "alsa_input.pci-0000_00_1f.3.analog-stereo";
  source.description = "Built-in Audio Analog Stereo";
  source.channels = 2;
  source.ports = {{"analog-input-front-mic", "Front Microphone", PA_DEVICE_PORT_TYPE_MIC},
                  {"analog-input-linein", "Line In", PA_DEVICE_PORT_TYPE_LINE},
                  {"analog-input-headset-mic", "Headset Microphone", PA_DEVICE_PORT_TYPE_HEADSET},
                  {"analog-input-dock-line", "Dock Line", PA_DEVICE_PORT_TYPE_UNKNOWN},
                  {"analog-input-video", "Video", PA_DEVICE_PORT_TYPE_UNKNOWN}};
  source.activePort = "analog-input-linein";
  return source;
}

std::vector<std::pair<std::string, uint32_t>> Ports(const MixerLayout& layout) {
  std::vector<std::pair<std::string, uint32_t>> ports;
  const MixerLayoutControl* mux = layout.ControlById(PulseMixerDevice::kSelectionControlId);
  EXPECT_NE(mux, nullptr);
  if (mux == nullptr) return ports;
  EXPECT_EQ(mux->control.controlType, MIXERCONTROL_CONTROLTYPE_MUX);
  EXPECT_EQ(mux->control.items, mux->items.size());
  for (const MixerListText& item : mux->items) {
    const MixerLine* line = layout.LineById(item.param1);
    EXPECT_NE(line, nullptr);
    if (line != nullptr) ports.emplace_back(item.name, line->componentType);
  }
  return ports;
}

TEST(PulseMixerLayout, PortsBecomeMuxItemsTypedByTheirKindElseTheirName) {
  const MixerLayout layout = PulseMixerDevice::MakeLayout(CardSource());
  const std::vector<std::pair<std::string, uint32_t>> expected = {
      {"Front Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
      {"Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE},
      {"Headset Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
      {"Dock Line", MIXERLINE_COMPONENTTYPE_SRC_LINE},
      {"Video", MIXERLINE_COMPONENTTYPE_SRC_ANALOG}};
  EXPECT_EQ(Ports(layout), expected);
  const MixerLine* destination = layout.LineById(PulseMixerDevice::kDestinationLineId);
  ASSERT_NE(destination, nullptr);
  EXPECT_EQ(destination->componentType, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
  // Every port's volume is the source's one volume control.
  for (uint32_t port = 0; port < expected.size(); ++port) {
    const MixerLine* line = layout.LineById(PulseMixerDevice::kSourceLineId + port);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->controls, 1u);
  }
  const MixerLayoutControl* volume = layout.ControlById(PulseMixerDevice::kVolumeControlId);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->control.controlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
  EXPECT_EQ(volume->control.maximum, 65535u);
}

TEST(PulseMixerLayout, ASourceWithoutPortsShowsOneNamedAfterItAndAMonitorsIsAnalog) {
  PulseSource input;
  input.name = "corvox_mic";
  input.description = "USB Mic";
  EXPECT_EQ(Ports(PulseMixerDevice::MakeLayout(input)),
            (std::vector<std::pair<std::string, uint32_t>>{{"USB Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}}));
  PulseSource monitor;
  monitor.name = "alsa_output.hdmi.monitor";
  monitor.description = "Monitor of HDMI Mic Passthrough";
  monitor.monitor = true;
  EXPECT_EQ(Ports(PulseMixerDevice::MakeLayout(monitor)),
            (std::vector<std::pair<std::string, uint32_t>>{
                {"Monitor of HDMI Mic Passthrough", MIXERLINE_COMPONENTTYPE_SRC_ANALOG}}));
}

TEST(PulseMixerLayout, TheVolumeRunsOverTheServersZeroToHundredPercent) {
  EXPECT_EQ(PulseMixerDevice::ToMixerVolume(PA_VOLUME_MUTED), 0u);
  EXPECT_EQ(PulseMixerDevice::ToMixerVolume(PA_VOLUME_NORM), 65535u);
  EXPECT_EQ(PulseMixerDevice::ToMixerVolume(PA_VOLUME_NORM * 3 / 2), 65535u);
  EXPECT_EQ(PulseMixerDevice::ToServerVolume(65535), PA_VOLUME_NORM);
  for (uint32_t value : {0u, 1u, 255u, 32767u, 32768u, 50000u, 65534u, 65535u})
    EXPECT_EQ(PulseMixerDevice::ToMixerVolume(PulseMixerDevice::ToServerVolume(value)), value);
}

class PulseMixerDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PulseServerNamed()) return;
    m_input = std::make_unique<TestDevice>(TestDevice::SilentInput);
    m_position = DevicePosition(m_backend, m_input->Name());
    ASSERT_GE(m_position, 0);
    ASSERT_EQ(m_backend.OpenMixer(m_position, &m_loop, &m_mixer), S_OK);
  }

  uint32_t Volume() {
    std::vector<uint32_t> values;
    EXPECT_EQ(m_mixer->GetControlValues(PulseMixerDevice::kVolumeControlId, &values), S_OK);
    return values.empty() ? 0 : values[0];
  }

  // Waits for the next change notice; its control id, or 0.
  uint32_t NextNotice() {
    MSG message;
    if (!m_loop.GetMessage(message, 5000ms)) return 0;
    EXPECT_EQ(message.message, MM_MIXM_CONTROL_CHANGE);
    EXPECT_EQ(message.wParam, m_mixer->Handle());
    return static_cast<uint32_t>(message.lParam);
  }

  PulseAudioBackend m_backend;
  MessageLoop m_loop;
  std::unique_ptr<TestDevice> m_input;
  int m_position = -1;
  std::unique_ptr<AudioMixerDevice> m_mixer;
};

TEST_F(PulseMixerDeviceTest, SourcesAreListedInTheServersOrderWithMonitorsLast) {
  SKIP_WITHOUT_PULSE_SERVER();
  const TestDevice output(TestDevice::NullOutput);
  const std::vector<AudioDeviceInfo> devices = m_backend.CaptureDevices();
  std::istringstream listing(Pactl({"list", "short", "sources"}));
  std::vector<std::string> inputs, monitors;
  for (std::string line; std::getline(listing, line);) {
    std::istringstream fields(line);
    std::string index, name;
    fields >> index >> name;
    (name.ends_with(".monitor") ? monitors : inputs).push_back(name);
  }
  inputs.insert(inputs.end(), monitors.begin(), monitors.end());
  // Other tests add and remove devices meanwhile: compare the ones both lists have.
  std::vector<std::string> ours, theirs;
  for (const AudioDeviceInfo& device : devices)
    if (std::find(inputs.begin(), inputs.end(), device.friendlyName) != inputs.end())
      ours.push_back(device.friendlyName);
  for (const std::string& name : inputs)
    if (std::find(ours.begin(), ours.end(), name) != ours.end()) theirs.push_back(name);
  EXPECT_EQ(ours, theirs);
  EXPECT_GE(ours.size(), 2u);

  const int input = DevicePosition(m_backend, m_input->Name());
  const int monitor = DevicePosition(m_backend, output.SourceName());
  ASSERT_GE(monitor, 0);
  EXPECT_LT(input, monitor);
  EXPECT_EQ(m_backend.CaptureDevices()[static_cast<size_t>(input)].description, m_input->Description());
  EXPECT_EQ(m_backend.CaptureDevices()[static_cast<size_t>(monitor)].description, "Monitor of " + output.Description());
  std::unique_ptr<AudioMixerDevice> none;
  EXPECT_EQ(m_backend.OpenMixer(1000, nullptr, &none), VFW_E_NOT_FOUND);
  EXPECT_FALSE(none);
}

TEST_F(PulseMixerDeviceTest, AVolumeSetHereIsTheServersAndOneSetThereIsPostedHere) {
  SKIP_WITHOUT_PULSE_SERVER();
  ASSERT_EQ(m_mixer->SetControlValues(PulseMixerDevice::kVolumeControlId, {32768}), S_OK);
  EXPECT_NE(Pactl({"get-source-volume", m_input->Name()}).find("/  50% /"), std::string::npos);
  EXPECT_EQ(NextNotice(), PulseMixerDevice::kVolumeControlId);
  EXPECT_EQ(Volume(), 32768u);

  Pactl({"set-source-volume", m_input->Name(), "25%"});
  EXPECT_EQ(NextNotice(), PulseMixerDevice::kVolumeControlId);
  EXPECT_EQ(Volume(), 16384u);  // 25 % of 65536, on our scale
  // A change that leaves the volume as it was posts nothing.
  Pactl({"set-source-mute", m_input->Name(), "1"});
  Pactl({"set-source-mute", m_input->Name(), "0"});
  MSG message;
  EXPECT_FALSE(m_loop.GetMessage(message, 300ms));
}

TEST_F(PulseMixerDeviceTest, ThePortOfASourceWithoutPortsIsAlwaysSelected) {
  SKIP_WITHOUT_PULSE_SERVER();
  std::vector<uint32_t> values;
  ASSERT_EQ(m_mixer->GetControlValues(PulseMixerDevice::kSelectionControlId, &values), S_OK);
  EXPECT_EQ(values, std::vector<uint32_t>{1});
  EXPECT_EQ(m_mixer->SetControlValues(PulseMixerDevice::kSelectionControlId, {1}), S_OK);
  EXPECT_EQ(m_mixer->SetControlValues(PulseMixerDevice::kSelectionControlId, {0}), E_INVALIDARG);
}

}  // namespace
