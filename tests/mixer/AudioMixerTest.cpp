#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "mixer/AudioMixer.h"
#include "platform/audio/alsa/AlsaAudioBackend.h"
#include "platform/audio/alsa/AlsaMixerDevice.h"
#include "platform/audio/alsa/ScriptedAlsaControls.h"
#include "platform/audio/virtual/ToneGenerator.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/ui/MessageLoop.h"

namespace {

using namespace std::chrono_literals;

// The virtual devices, with one mixer over a scripted card's controls instead of its own.
class ScriptedCardBackend : public VirtualAudioBackend {
 public:
  explicit ScriptedCardBackend(std::vector<AlsaElement> elements) : m_elements(std::move(elements)) {}

  HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) override {
    if (number != 0) return VFW_E_NOT_FOUND;
    auto controls = std::make_unique<ScriptedAlsaControls>(m_elements);
    if (!m_elements.empty()) controls->At(0) = m_initial;
    m_controls = controls.get();
    *mixer = std::make_unique<AlsaMixerDevice>("Scripted Card", std::move(controls), notify);
    return S_OK;
  }

  std::vector<AlsaElement> m_elements;
  ScriptedAlsaControls::Values m_initial;
  ScriptedAlsaControls* m_controls = nullptr;  // of the mixer opened last
};

std::vector<std::string> Names(const std::vector<AudioMixer::Port>& ports) {
  std::vector<std::string> names;
  for (const AudioMixer::Port& port : ports) names.push_back(port.name);
  return names;
}

// The loudest sample of half a second of the virtual device's tone.
int32_t TonePeak(AudioBackend& backend) {
  std::unique_ptr<AudioCaptureStream> stream;
  EXPECT_EQ(backend.OpenCapture(0, MakePcmFormat(8000, 1, 16), &stream), S_OK);
  stream->Start();
  std::vector<uint8_t> buffer(8000);
  size_t bytes = 0;
  bool ended = false;
  EXPECT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  int32_t peak = 0;
  for (size_t i = 0; i + 1 < bytes; i += 2)
    peak = std::max<int32_t>(peak, std::abs(static_cast<int16_t>(buffer[i] | buffer[i + 1] << 8)));
  return peak;
}

VirtualAudioOptions Unpaced() {
  VirtualAudioOptions options;
  options.paced = false;
  return options;
}

TEST(AudioMixerTest, AMachineWithoutMixersOpensNone) {
  AudioMixer mixer(std::make_shared<AlsaAudioBackend>(std::vector<AlsaCard>{}, "null", nullptr));
  EXPECT_EQ(mixer.GetDeviceCount(), 0);
  EXPECT_FALSE(mixer.Open(nullptr, 0));
  EXPECT_EQ(mixer.MixerNumber(), -1);
  EXPECT_EQ(mixer.GetDeviceName(), "");
  std::vector<AudioMixer::Port> ports;
  EXPECT_FALSE(mixer.EnumPorts(&ports));
  EXPECT_EQ(mixer.GetSelectedPort(), -1);
  EXPECT_FALSE(mixer.SelectPort(0));
  EXPECT_EQ(mixer.GetVolume(nullptr, nullptr), -1);
  EXPECT_EQ(mixer.Close(), S_FALSE);
}

TEST(AudioMixerTest, VirtualMixerSelectsPortsAndItsVolumeScalesTheSignal) {
  auto backend = std::make_shared<VirtualAudioBackend>(Unpaced());
  MessageLoop loop;
  AudioMixer mixer(backend);
  EXPECT_EQ(mixer.GetDeviceCount(), 1);
  EXPECT_FALSE(mixer.Open(&loop, 1));
  EXPECT_FALSE(mixer.Open(&loop, -1));
  ASSERT_TRUE(mixer.Open(&loop, 0));
  EXPECT_EQ(mixer.GetDeviceName(), "Virtual Audio Mixer");

  std::vector<AudioMixer::Port> ports;
  ASSERT_TRUE(mixer.EnumPorts(&ports));
  EXPECT_EQ(Names(ports), (std::vector<std::string>{"Microphone", "Line In", "CD Audio"}));
  EXPECT_EQ(ports[0].componentType, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  EXPECT_EQ(ports[1].componentType, MIXERLINE_COMPONENTTYPE_SRC_LINE);
  EXPECT_EQ(ports[2].componentType, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);
  EXPECT_EQ(mixer.SelectionControlType(), MIXERCONTROL_CONTROLTYPE_MUX);
  EXPECT_EQ(mixer.GetSelectedPort(), 0);

  ASSERT_TRUE(mixer.SelectPort(2));
  EXPECT_EQ(mixer.GetSelectedPort(), 2);
  EXPECT_FALSE(mixer.SelectPort(3));
  MSG message;
  ASSERT_TRUE(loop.GetMessage(message, 0ms));
  EXPECT_EQ(message.message, MM_MIXM_CONTROL_CHANGE);
  EXPECT_EQ(message.wParam, mixer.Handle());
  EXPECT_TRUE(mixer.IsSelectionControl(static_cast<uint32_t>(message.lParam)));

  const int32_t fullPeak = TonePeak(*backend);
  EXPECT_NEAR(fullPeak, 32767 * ToneGenerator::kAmplitude, 40);
  std::string name;
  ASSERT_TRUE(mixer.PreparePortVolume(2, &name));
  EXPECT_EQ(name, "Volume");
  uint32_t minimum = 1, maximum = 0;
  EXPECT_EQ(mixer.GetVolume(&minimum, &maximum), 65535);
  EXPECT_EQ(minimum, 0u);
  EXPECT_EQ(maximum, 65535u);
  ASSERT_TRUE(mixer.SetVolume(16384));
  EXPECT_EQ(mixer.GetVolume(nullptr, nullptr), 16384);
  ASSERT_TRUE(loop.GetMessage(message, 0ms));
  EXPECT_TRUE(mixer.IsVolumeControl(static_cast<uint32_t>(message.lParam)));
  EXPECT_NEAR(TonePeak(*backend), fullPeak / 4.0, 40);
  // Only the selected port's volume counts.
  ASSERT_TRUE(mixer.SelectPort(0));
  EXPECT_EQ(TonePeak(*backend), fullPeak);
  EXPECT_FALSE(mixer.SetVolume(65536));

  EXPECT_EQ(mixer.Close(), S_OK);
  EXPECT_EQ(mixer.GetSelectedPort(), -1);
}

TEST(AudioMixerTest, ChangesByAnotherMixerOnTheSameDeviceAreNoticed) {
  auto backend = std::make_shared<VirtualAudioBackend>(Unpaced());
  MessageLoop loop;
  AudioMixer page(backend), other(backend);
  ASSERT_TRUE(page.Open(&loop, 0));
  ASSERT_TRUE(other.Open(nullptr, 0));
  std::vector<AudioMixer::Port> ports;
  ASSERT_TRUE(page.EnumPorts(&ports));
  ASSERT_TRUE(other.EnumPorts(&ports));
  ASSERT_TRUE(other.SelectPort(1));
  MSG message;
  ASSERT_TRUE(loop.GetMessage(message, 0ms));
  EXPECT_EQ(message.wParam, page.Handle());
  EXPECT_TRUE(page.IsSelectionControl(static_cast<uint32_t>(message.lParam)));
  EXPECT_EQ(page.GetSelectedPort(), 1);
  // Once closed, nothing more arrives.
  page.Close();
  ASSERT_TRUE(other.SelectPort(2));
  EXPECT_FALSE(loop.GetMessage(message, 0ms));
}

TEST(AudioMixerTest, MixerControlAddsAPortAndNoneSelectedGivesMinusOne) {
  auto backend = std::make_shared<ScriptedCardBackend>(
      std::vector<AlsaElement>{SwitchElement("Mic"), SwitchElement("Line"), VolumeElement("CD", 0, 31, true)});
  AudioMixer mixer(backend);
  ASSERT_TRUE(mixer.Open(nullptr, 0));
  EXPECT_EQ(mixer.GetDeviceName(), "Scripted Card");
  std::vector<AudioMixer::Port> ports;
  ASSERT_TRUE(mixer.EnumPorts(&ports));
  EXPECT_EQ(Names(ports), (std::vector<std::string>{"Mic", "Line", "CD"}));
  EXPECT_EQ(mixer.SelectionControlType(), MIXERCONTROL_CONTROLTYPE_MIXER);
  EXPECT_EQ(mixer.GetSelectedPort(), -1);

  ASSERT_TRUE(mixer.SelectPort(2));
  ASSERT_TRUE(mixer.SelectPort(1));
  EXPECT_EQ(mixer.GetSelectedPort(), 1);
  EXPECT_TRUE(backend->m_controls->At(1).on);
  EXPECT_TRUE(backend->m_controls->At(2).on);
  EXPECT_FALSE(backend->m_controls->At(0).on);

  // The ports stay as listed until the next Open, which lists the new device's.
  backend->m_elements.pop_back();
  ASSERT_TRUE(mixer.EnumPorts(&ports));
  EXPECT_EQ(ports.size(), 3u);
  ASSERT_TRUE(mixer.Open(nullptr, 0));
  ASSERT_TRUE(mixer.EnumPorts(&ports));
  EXPECT_EQ(ports.size(), 2u);
}

TEST(AudioMixerTest, APortWithoutAVolumeControlCannotBePrepared) {
  auto backend = std::make_shared<ScriptedCardBackend>(
      std::vector<AlsaElement>{SourceEnum("Capture Source", {"Mic", "Line"}), VolumeElement("Line", 0, 100)});
  backend->m_initial.item = 1;
  MessageLoop loop;
  AudioMixer mixer(backend);
  ASSERT_TRUE(mixer.Open(&loop, 0));
  std::vector<AudioMixer::Port> ports;
  ASSERT_TRUE(mixer.EnumPorts(&ports));
  EXPECT_EQ(mixer.GetSelectedPort(), 1);
  std::string name = "untouched";
  EXPECT_FALSE(mixer.PreparePortVolume(0, &name));
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(mixer.GetVolume(nullptr, nullptr), -1);
  EXPECT_FALSE(mixer.PreparePortVolume(2, &name));

  ASSERT_TRUE(mixer.PreparePortVolume(1, &name));
  backend->m_controls->At(1).volume = 50;
  EXPECT_EQ(mixer.GetVolume(nullptr, nullptr), 32768);
  // Another program moves the volume: the page hears of it.
  backend->m_controls->ChangedElsewhere(1);
  MSG message;
  ASSERT_TRUE(loop.GetMessage(message, 0ms));
  EXPECT_TRUE(mixer.IsVolumeControl(static_cast<uint32_t>(message.lParam)));
  EXPECT_FALSE(mixer.IsSelectionControl(static_cast<uint32_t>(message.lParam)));

  // A card that stops answering: every operation reports failure.
  backend->m_controls->Break();
  EXPECT_EQ(mixer.GetSelectedPort(), -1);
  EXPECT_FALSE(mixer.SelectPort(0));
  EXPECT_EQ(mixer.GetVolume(nullptr, nullptr), -1);
  EXPECT_FALSE(mixer.SetVolume(0));
}

TEST(AudioMixerTest, ADeviceWithoutASelectionControlHasNoPorts) {
  auto backend = std::make_shared<ScriptedCardBackend>(std::vector<AlsaElement>{});
  AudioMixer mixer(backend);
  ASSERT_TRUE(mixer.Open(nullptr, 0));
  std::vector<AudioMixer::Port> ports;
  EXPECT_FALSE(mixer.EnumPorts(&ports));
  EXPECT_TRUE(ports.empty());
  EXPECT_EQ(mixer.GetSelectedPort(), -1);
}

}  // namespace
