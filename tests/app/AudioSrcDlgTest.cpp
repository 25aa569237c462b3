// The audio source dialog against real mixers: the virtual device's, a scripted card with an
// analog port without volume control, a device without ports, and (when the private test
// server runs) the sound server's.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <filesystem>

#include "app/AppTestRig.h"
#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "mixer/ui/CAudioSrcDlg.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/audio/MixerDeviceBase.h"
#include "platform/audio/pulse/PulseAudioBackend.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "support/MessageBoxCapture.h"
#include "support/Process.h"

namespace {

using namespace std::chrono_literals;

// A card with a microphone (volume 0 to 100) and an analog input without volume control on a
// MUX, whose selection the test sets; a MUX without items stands for a device without ports.
struct ScriptedCardState {
  std::vector<uint32_t> selection{1, 0};
  uint32_t volume = 40;
};

class ScriptedCardMixer : public MixerDeviceBase {
 public:
  static constexpr uint32_t kMux = 1;
  static constexpr uint32_t kMicVolume = 2;

  ScriptedCardMixer(std::shared_ptr<ScriptedCardState> state, bool portless, HWND notify)
      : MixerDeviceBase(portless ? "Portless Card" : "Scripted Card", Layout(portless), notify),
        m_state(std::move(state)) {}

 protected:
  HRESULT ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) override {
    *values = control.control.controlId == kMux ? m_state->selection : std::vector<uint32_t>{m_state->volume};
    return S_OK;
  }
  HRESULT WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) override {
    if (control.control.controlId == kMux)
      m_state->selection = values;
    else
      m_state->volume = values[0];
    NotifyControlChange(control.control.controlId);
    return S_OK;
  }

 private:
  static MixerLayout Layout(bool portless) {
    MixerLayout layout;
    layout.lines.push_back({0xFFFF0000, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 2, 0, "Capture", "Capture"});
    MixerLayoutControl mux{0xFFFF0000, {kMux, MIXERCONTROL_CONTROLTYPE_MUX, 0, "Mux", "Capture Source", 0, 1, 0}, {}};
    if (!portless) {
      layout.lines.push_back({0x10000, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 2, 0, "Mic", "Mic"});
      layout.lines.push_back({0x10001, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 2, 0, "Aux", "Aux"});
      mux.items = {{0x10000, 0, "Mic"}, {0x10001, 0, "Aux"}};
      mux.control.items = 2;
      layout.controls.push_back({0x10000, {kMicVolume, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, "Volume", "Mic", 0, 100, 100}, {}});
    }
    layout.controls.insert(layout.controls.begin(), mux);
    layout.CountControls();
    return layout;
  }

  const std::shared_ptr<ScriptedCardState> m_state;
};

// Device 0 is the virtual device; mixer 1 the scripted card (capture device 1, which takes
// 16-bit audio only); mixer 2 a card without ports that has no capture device.
class ScriptedBackend : public VirtualAudioBackend {
 public:
  ScriptedBackend() : VirtualAudioBackend(VirtualAudioOptions{}) {}

  std::vector<AudioDeviceInfo> CaptureDevices() override {
    return {{"Virtual Audio Input", "virtual"}, {"Scripted Card", "scripted"}};
  }
  HRESULT CaptureCaps(int device, AudioDeviceCaps* caps) override {
    if (device != 1) return VirtualAudioBackend::CaptureCaps(device, caps);
    *caps = {8000, 48000, 1, 2, {16}};
    return S_OK;
  }
  int MixerCount() override { return 3; }
  HRESULT OpenMixer(int number, HWND notify, std::unique_ptr<AudioMixerDevice>* mixer) override {
    if (number == 0) return VirtualAudioBackend::OpenMixer(number, notify, mixer);
    if (number > 2) return VFW_E_NOT_FOUND;
    *mixer = std::make_unique<ScriptedCardMixer>(m_card, number == 2, notify);
    return S_OK;
  }

  const std::shared_ptr<ScriptedCardState> m_card = std::make_shared<ScriptedCardState>();
};

const CVtToolTipCtrl* TipsOf(const QWidget* page) { return page->findChild<const CVtToolTipCtrl*>(); }

class AudioSrcDlgTest : public ::testing::Test {
 protected:
  AudioSrcDlgTest() : m_previous(CurrentAudioBackend()) { UseAudioBackend(m_backend); }
  ~AudioSrcDlgTest() override { UseAudioBackend(m_previous); }

  void Use(std::shared_ptr<AudioBackend> backend) { UseAudioBackend(m_backend = std::move(backend)); }

  QDialog* Open() {
    m_window = m_dialog.CreateWindow();
    return m_window;
  }
  QComboBox* List(int id) const { return FindControl<QComboBox>(m_window, id); }
  QSlider* Slider() const { return FindControl<QSlider>(m_window, CAudSrcPage1::kVolumeSlider); }
  std::vector<std::string> Items(int id) const {
    std::vector<std::string> items;
    const QComboBox* list = List(id);
    for (int i = 0; list != nullptr && i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
    return items;
  }
  void ShowPage(int index) { m_window->findChild<QTabWidget*>()->setCurrentIndex(index); }
  void Press(QDialogButtonBox::StandardButton button) {
    m_window->findChild<QDialogButtonBox*>()->button(button)->click();
  }
  void Choose(int id, const std::string& text) {
    QComboBox* list = List(id);
    ASSERT_NE(list, nullptr);
    const int index = list->findText(QString::fromStdString(text));
    ASSERT_GE(index, 0) << text;
    list->setCurrentIndex(index);
  }
  // The port and volume the system mixer has for device `number`, as another program sees them.
  std::pair<int, int64_t> SystemPortAndVolume(int number = 0) {
    AudioMixer mixer(m_backend);
    std::vector<AudioMixer::Port> ports;
    if (!mixer.Open(nullptr, number) || !mixer.EnumPorts(&ports)) return {-1, -1};
    const int port = mixer.GetSelectedPort();
    std::string name;
    return {port, mixer.PreparePortVolume(port, &name) ? mixer.GetVolume(nullptr, nullptr) : -1};
  }
  uint32_t Preview() {
    uint32_t flags = 0;
    m_rig.Settings().GetPreviewAudio(flags);
    return flags;
  }

  AppTestRig m_rig;
  std::shared_ptr<AudioBackend> m_previous;
  std::shared_ptr<AudioBackend> m_backend = std::make_shared<VirtualAudioBackend>(VirtualAudioOptions{});
  CAudioSrcDlg m_dialog{m_rig.Settings(), nullptr};
  QPointer<QDialog> m_window;
};

TEST_F(AudioSrcDlgTest, OkStoresDeviceAndRecordCancelStoresNothingButPortAndVolumeStay) {
  SettingsStore& settings = m_rig.Settings();
  settings.SetDeviceSettings(0, {22050, 1, 8, 100});
  Open();
  EXPECT_EQ(m_window->windowTitle(), "Audio Device Settings");
  EXPECT_EQ(Items(CAudSrcPage1::kDeviceList), std::vector<std::string>{"Virtual Audio Mixer"});
  EXPECT_EQ(Items(CAudSrcPage1::kPortList), (std::vector<std::string>{"Microphone", "Line In", "CD Audio"}));
  EXPECT_EQ(List(CAudSrcPage1::kPortList)->currentIndex(), 0);
  EXPECT_TRUE(Slider()->isEnabled());
  EXPECT_EQ(Slider()->maximum(), 65535);
  EXPECT_EQ(Slider()->tickInterval(), 6553);

  Choose(CAudSrcPage1::kPortList, "Line In");
  Slider()->setValue(1000);
  EXPECT_EQ(SystemPortAndVolume(), std::make_pair(1, int64_t{1000}));
  ShowPage(1);
  EXPECT_EQ(List(CAudSrcPage2::kSampleRateList)->currentText(), "22050");
  EXPECT_EQ(List(CAudSrcPage2::kChannelsList)->currentText(), "1");
  EXPECT_EQ(List(CAudSrcPage2::kBitsList)->currentText(), "8");
  EXPECT_EQ(Items(CAudSrcPage2::kBitsList), (std::vector<std::string>{"8", "16", "24", "32"}));
  EXPECT_EQ(Items(CAudSrcPage2::kLatencyList), (std::vector<std::string>{"500", "250", "100", "80", "60", "40", "30"}));
  EXPECT_EQ(List(CAudSrcPage2::kLatencyList)->currentText(), "100");
  Choose(CAudSrcPage2::kSampleRateList, "48000");
  Press(QDialogButtonBox::Cancel);
  EXPECT_EQ(m_window->result(), QDialog::Rejected);
  DeviceSettings stored;
  ASSERT_TRUE(settings.GetDeviceSettings(0, stored));
  EXPECT_EQ(stored, (DeviceSettings{22050, 1, 8, 100}));
  int device = -1;
  EXPECT_FALSE(settings.GetCurrentDevice(device));
  EXPECT_EQ(SystemPortAndVolume(), std::make_pair(1, int64_t{1000}));
  // The closed window goes, and its mixer with it.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(m_window.isNull());

  Open();
  EXPECT_EQ(List(CAudSrcPage1::kPortList)->currentText(), "Line In");
  EXPECT_EQ(Slider()->value(), 1000);
  ShowPage(1);
  Choose(CAudSrcPage2::kLatencyList, "30");
  Press(QDialogButtonBox::Ok);
  EXPECT_EQ(m_window->result(), QDialog::Accepted);
  ASSERT_TRUE(settings.GetDeviceSettings(0, stored));
  EXPECT_EQ(stored, (DeviceSettings{22050, 1, 8, 30}));
  ASSERT_TRUE(settings.GetCurrentDevice(device));
  EXPECT_EQ(device, 0);
}

TEST_F(AudioSrcDlgTest, AStoredValueNotOfferedLeavesNoSelectionAndOkKeepsIt) {
  m_rig.Settings().SetDeviceSettings(0, {12345, 2, 12, 75});
  Open();
  ShowPage(1);
  EXPECT_EQ(List(CAudSrcPage2::kSampleRateList)->currentIndex(), -1);
  EXPECT_EQ(List(CAudSrcPage2::kBitsList)->currentIndex(), -1);
  EXPECT_EQ(List(CAudSrcPage2::kLatencyList)->currentIndex(), -1);
  EXPECT_EQ(List(CAudSrcPage2::kChannelsList)->currentText(), "2");
  Choose(CAudSrcPage2::kChannelsList, "1");
  Press(QDialogButtonBox::Ok);
  DeviceSettings stored;
  ASSERT_TRUE(m_rig.Settings().GetDeviceSettings(0, stored));
  EXPECT_EQ(stored, (DeviceSettings{12345, 1, 12, 75}));
}

TEST_F(AudioSrcDlgTest, ChangesMadeElsewhereMoveThePortListAndTheSlider) {
  m_rig.Settings().SetPreviewAudio(2);
  Open();
  EXPECT_EQ(Preview(), 3u);
  AudioMixer elsewhere(m_backend);
  ASSERT_TRUE(elsewhere.Open(nullptr, 0));
  std::vector<AudioMixer::Port> ports;
  ASSERT_TRUE(elsewhere.EnumPorts(&ports));
  ASSERT_TRUE(elsewhere.SelectPort(2));
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return List(CAudSrcPage1::kPortList)->currentIndex() == 2; }));
  std::string name;
  ASSERT_TRUE(elsewhere.PreparePortVolume(2, &name));
  ASSERT_TRUE(elsewhere.SetVolume(20000));
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return Slider()->value() == 20000; }));
  // The port the dialog shows is the one its slider drives.
  Slider()->setValue(30000);
  EXPECT_EQ(SystemPortAndVolume(), std::make_pair(2, int64_t{30000}));
}

TEST_F(AudioSrcDlgTest, AnAnalogPortClearsThePreviewBitAndAPortWithoutVolumeDisablesTheSlider) {
  auto backend = std::make_shared<ScriptedBackend>();
  Use(backend);
  m_rig.Settings().SetCurrentDevice(1);
  m_rig.Settings().SetPreviewAudio(2);
  backend->m_card->selection = {1, 0};
  Open();
  EXPECT_EQ(List(CAudSrcPage1::kDeviceList)->currentIndex(), 1);
  EXPECT_EQ(Items(CAudSrcPage1::kPortList), (std::vector<std::string>{"Mic", "Aux"}));
  EXPECT_EQ(Preview(), 3u);
  EXPECT_TRUE(Slider()->isEnabled());
  EXPECT_EQ(Slider()->maximum(), 100);
  EXPECT_EQ(Slider()->tickInterval(), 10);
  EXPECT_EQ(Slider()->value(), 40);

  Choose(CAudSrcPage1::kPortList, "Aux");
  EXPECT_EQ(backend->m_card->selection, (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(Preview(), 2u);
  EXPECT_FALSE(Slider()->isEnabled());
  EXPECT_EQ(Slider()->value(), 32768);
  Choose(CAudSrcPage1::kPortList, "Mic");
  EXPECT_EQ(Preview(), 3u);
  EXPECT_TRUE(Slider()->isEnabled());
}

TEST_F(AudioSrcDlgTest, TheFormatPageFollowsTheChosenDeviceAndStoresForTheDeviceItShows) {
  Use(std::make_shared<ScriptedBackend>());
  SettingsStore& settings = m_rig.Settings();
  settings.SetCurrentDevice(1);
  Open();
  ShowPage(1);
  EXPECT_EQ(Items(CAudSrcPage2::kBitsList), std::vector<std::string>{"16"});
  EXPECT_EQ(Items(CAudSrcPage2::kChannelsList), (std::vector<std::string>{"1", "2"}));
  Choose(CAudSrcPage2::kSampleRateList, "8000");
  ShowPage(0);
  Choose(CAudSrcPage1::kDeviceList, "Virtual Audio Mixer");
  EXPECT_EQ(m_dialog.CurrentDevice(), 0);
  EXPECT_EQ(Items(CAudSrcPage1::kPortList), (std::vector<std::string>{"Microphone", "Line In", "CD Audio"}));
  // Not shown again: OK stores what the page showed, for the device it showed.
  Press(QDialogButtonBox::Ok);
  DeviceSettings stored;
  EXPECT_FALSE(settings.GetDeviceSettings(0, stored));
  ASSERT_TRUE(settings.GetDeviceSettings(1, stored));
  EXPECT_EQ(stored, (DeviceSettings{8000, 2, 16, 500}));
  int device = -1;
  ASSERT_TRUE(settings.GetCurrentDevice(device));
  EXPECT_EQ(device, 0);

  Open();
  ShowPage(1);
  ShowPage(0);
  Choose(CAudSrcPage1::kDeviceList, "Scripted Card");
  ShowPage(1);
  EXPECT_EQ(Items(CAudSrcPage2::kBitsList), std::vector<std::string>{"16"});
  EXPECT_EQ(List(CAudSrcPage2::kSampleRateList)->currentText(), "8000");
}

TEST_F(AudioSrcDlgTest, DevicesThatCannotRecordSayWhy) {
  auto backend = std::make_shared<ScriptedBackend>();
  Use(backend);
  SettingsStore& settings = m_rig.Settings();
  MessageBoxCapture boxes;

  settings.SetCurrentDevice(2);  // no ports, and no capture device at that position
  Open();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "The selected device has no recording facilities.");
  EXPECT_EQ(boxes.Boxes()[0].flags, MB_OK);
  EXPECT_EQ(List(CAudSrcPage1::kPortList)->count(), 0);
  EXPECT_FALSE(Slider()->isEnabled());
  ShowPage(1);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[1].text, "An unexpected error occured while locating the correct audio device!");
  EXPECT_EQ(boxes.Boxes()[1].flags, MB_ICONERROR);
  EXPECT_EQ(List(CAudSrcPage2::kLatencyList)->count(), 0);
  Press(QDialogButtonBox::Ok);
  DeviceSettings stored;
  EXPECT_FALSE(settings.GetDeviceSettings(2, stored));

  settings.SetCurrentDevice(1);
  backend->m_card->selection = {0, 0};
  EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);  // closes by itself
  ASSERT_EQ(boxes.Boxes().size(), 3u);
  EXPECT_EQ(boxes.Boxes()[2].text,
            "Could not initialize the audio hardware. Please report this to support@vantrosolutions.com");
  EXPECT_EQ(boxes.Boxes()[2].flags, MB_ICONERROR);
}

TEST_F(AudioSrcDlgTest, TipsFollowShowToolTipsAndThePagesAreDrawn) {
  for (bool show : {false, true}) {
    m_rig.Settings().SetShowToolTips(show);
    Open();
    ShowPage(1);
    const QTabWidget* tabs = m_window->findChild<QTabWidget*>();
    const CVtToolTipCtrl* pageOneTips = TipsOf(tabs->widget(0));
    const CVtToolTipCtrl* pageTwoTips = TipsOf(tabs->widget(1));
    ASSERT_NE(pageOneTips, nullptr);
    ASSERT_NE(pageTwoTips, nullptr);
    EXPECT_EQ(pageOneTips->IsActive(), show);
    EXPECT_EQ(pageTwoTips->IsActive(), show);
    EXPECT_EQ(pageOneTips->TipText(List(CAudSrcPage1::kPortList)),
              "Select the audio port. e.g., Microphone, line-in etc.\nChanges are system wide.");
    EXPECT_EQ(pageTwoTips->TipText(List(CAudSrcPage2::kLatencyList)),
              "Adjust latency. Higher values cause longer delay, but records better.");
    Press(QDialogButtonBox::Cancel);
  }

  Open();
  m_window->show();
  for (int page = 0; page < 2; ++page) {
    ShowPage(page);
    AppTestRig::Pump(50ms);
    const QImage image = m_window->grab().toImage();
    AppTestRig::KeepArtifact(image, "audio-source-page" + std::to_string(page + 1) + ".png");
    std::filesystem::create_directories("/tmp/shots-dsrc");
    image.save(QString::fromStdString("/tmp/shots-dsrc/page" + std::to_string(page + 1) + ".png"));
  }
}

// A silent input of the test sound server's own, removed when the test ends.
class TestSource {
 public:
  TestSource() : m_name("corvox_dsrc_" + std::to_string(getpid())) {
    const ProcessResult loaded =
        RunProcess({"pactl", "load-module", "module-null-source", "source_name=" + m_name, "description=Dsrc-Test"});
    EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
    m_module = loaded.out.substr(0, loaded.out.find('\n'));
  }
  ~TestSource() {
    if (!m_module.empty()) RunProcess({"pactl", "unload-module", m_module});
  }
  const std::string& Name() const { return m_name; }

 private:
  std::string m_name;
  std::string m_module;
};

TEST_F(AudioSrcDlgTest, TheSlidersVolumeIsTheSoundServersBothWays) {
  const char* server = std::getenv("PULSE_SERVER");
  if (server == nullptr || *server == '\0') GTEST_SKIP() << "PULSE_SERVER is unset: no sound server to test against";
  const TestSource source;
  auto backend = std::make_shared<PulseAudioBackend>();
  Use(backend);
  int position = -1;
  const std::vector<AudioDeviceInfo> devices = backend->CaptureDevices();
  for (size_t i = 0; i < devices.size(); ++i)
    if (devices[i].friendlyName == source.Name()) position = static_cast<int>(i);
  ASSERT_GE(position, 0);
  m_rig.Settings().SetCurrentDevice(position);
  Open();
  EXPECT_EQ(List(CAudSrcPage1::kDeviceList)->currentIndex(), position);
  ASSERT_TRUE(Slider()->isEnabled());
  Slider()->setValue(32768);
  EXPECT_NE(RunProcess({"pactl", "get-source-volume", source.Name()}).out.find("/  50% /"), std::string::npos);
  RunProcess({"pactl", "set-source-volume", source.Name(), "25%"});
  EXPECT_TRUE(AppTestRig::PumpUntil([&] { return Slider()->value() == 16384; }, 5000ms)) << Slider()->value();
}

}  // namespace
