// The export format dialog through its widgets: the second tab follows the chooser, OK stores
// "Format" and the records of the pages that have a window, the pages show and store their
// records, the enabling rules, the slider tips and whether tips show at all.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include "AppTestRig.h"
#include "app/ControlId.h"
#include "formats/COptionsDlg.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/media/DeviceEnumerator.h"
#include "wma/ProfileEnumerator.h"
#include "wma/WmaSettingsLists.h"

namespace {

class OptionsDlgTest : public ::testing::Test {
 protected:
  ~OptionsDlgTest() override { RegisterAudioCompressors(); }

  SettingsStore& Settings() { return rig.Settings(); }
  QDialog* Open() { return dialog.CreateWindow(); }
  QTabWidget* Tabs() { return dialog.Sheet().Window(); }
  void ShowTab(int index) { dialog.Sheet().SetActivePage(index); }
  void Choose(int radioId) { ControlOf<QRadioButton>(dialog.ChooserPage(), radioId)->click(); }
  void PressOK() { FindControl<QPushButton>(dialog.Window(), IDOK)->click(); }
  void PressCancel() { FindControl<QPushButton>(dialog.Window(), IDCANCEL)->click(); }
  bool Stored(const char* name) {
    RegistryValue value;
    return Settings().ReadValue(name, value);
  }

  template <typename T>
  static T* ControlOf(const CVTPropertyPage& page, int id) {
    auto* control = FindControl<T>(page.Window(), id);
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  template <typename T>
  T* Mp3(int id) {
    return ControlOf<T>(dialog.Mp3Page(), id);
  }
  template <typename T>
  T* Ogg(int id) {
    return ControlOf<T>(dialog.OggPage(), id);
  }
  template <typename T>
  T* Wav(int id) {
    return ControlOf<T>(dialog.WavPage(), id);
  }
  static void Pick(QComboBox* list, const QString& text) {
    const int line = list->findText(text);
    ASSERT_GE(line, 0) << text.toStdString();
    list->setCurrentIndex(line);
  }

  AppTestRig rig;
  COptionsDlg dialog{rig.Settings(), nullptr};
};

TEST_F(OptionsDlgTest, OkWithoutVisitingTheSettingsTabWritesOnlyTheFormat) {
  Mp3Configuration earlier;
  earlier.cbrBitrateKbps = 256;
  Settings().SetMp3Configuration(earlier);
  Open();
  Choose(1020);
  EXPECT_EQ(Tabs()->tabText(1), "MP3 Settings");
  EXPECT_FALSE(dialog.Mp3Page().HasWindow());
  PressOK();
  EXPECT_EQ(dialog.Window()->result(), QDialog::Accepted);

  int format = 0;
  ASSERT_TRUE(Settings().GetFormat(format));
  EXPECT_EQ(format, 201);
  Mp3Configuration stored;
  Settings().GetMp3Configuration(stored);
  EXPECT_EQ(stored, earlier);
  EXPECT_FALSE(Stored("WMA Configuration"));
  EXPECT_FALSE(Stored("OGG Configuration"));
  EXPECT_FALSE(Stored("WAV Configuration"));
}

TEST_F(OptionsDlgTest, TheSecondTabFollowsTheChooserAtOnceAndCancelStoresNothing) {
  Settings().SetFormat(202);
  Open();
  ASSERT_EQ(Tabs()->count(), 2);
  EXPECT_EQ(Tabs()->tabText(0), "Audio Format");
  EXPECT_EQ(Tabs()->tabText(1), "OGG Settings");
  EXPECT_TRUE(ControlOf<QRadioButton>(dialog.ChooserPage(), 1021)->isChecked());
  EXPECT_EQ(ControlOf<QRadioButton>(dialog.ChooserPage(), 1022)->text(), "WA&V Files - Uncompressed and Compressed ");

  const std::pair<int, const char*> switches[] = {
      {1022, "WAV Settings"}, {1019, "WMA Settings"}, {1020, "MP3 Settings"}, {1021, "OGG Settings"}};
  for (const auto& [radio, caption] : switches) {
    Choose(radio);
    EXPECT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(Tabs()->tabText(1), caption);
    EXPECT_EQ(dialog.CurrentFormat(), 200 + radio - 1019);
  }
  Choose(1022);
  ShowTab(1);
  PressCancel();
  EXPECT_EQ(dialog.Window()->result(), QDialog::Rejected);
  int format = 0;
  Settings().GetFormat(format);
  EXPECT_EQ(format, 202);
  EXPECT_FALSE(Stored("WAV Configuration"));
}

TEST_F(OptionsDlgTest, AFormatSwitchLosesTheRemovedPagesChanges) {
  Settings().SetFormat(201);
  Open();
  ShowTab(1);
  Pick(Mp3<QComboBox>(1027), "192");
  ShowTab(0);
  Choose(1021);
  EXPECT_FALSE(dialog.Mp3Page().HasWindow());
  Choose(1020);
  EXPECT_FALSE(dialog.Mp3Page().HasWindow());
  ShowTab(1);
  EXPECT_EQ(Mp3<QComboBox>(1027)->currentText(), "128");
  PressOK();
  Mp3Configuration stored;
  ASSERT_TRUE(Settings().GetMp3Configuration(stored));
  EXPECT_EQ(stored.cbrBitrateKbps, 128);
}

TEST_F(OptionsDlgTest, OggDefaultQualityShowsTheSliderAtZeroAndOkStoresZero) {
  Settings().SetFormat(202);
  Settings().SetOggConfiguration(OggConfiguration());
  Open();
  ShowTab(1);
  auto* slider = Ogg<QSlider>(1039);
  EXPECT_EQ(slider->value(), 0);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->tickInterval(), 5);
  EXPECT_TRUE(Ogg<QRadioButton>(1064)->isChecked());
  EXPECT_TRUE(slider->isEnabled());
  for (int id : {1034, 1035, 1036}) EXPECT_FALSE(Ogg<QComboBox>(id)->isEnabled()) << id;
  EXPECT_EQ(Ogg<QComboBox>(1035)->currentText(), "112");
  EXPECT_EQ(Ogg<QComboBox>(1036)->count(), 10);

  PressOK();
  OggConfiguration stored;
  ASSERT_TRUE(Settings().GetOggConfiguration(stored));
  OggConfiguration expected;
  expected.quality = 0.0;
  EXPECT_EQ(stored, expected);
}

TEST_F(OptionsDlgTest, OggBitrateBasedEnablesTheListsAndStoresThem) {
  Settings().SetFormat(202);
  Open();
  ShowTab(1);
  Ogg<QRadioButton>(1063)->click();
  EXPECT_FALSE(Ogg<QSlider>(1039)->isEnabled());
  for (int id : {1034, 1035, 1036}) EXPECT_TRUE(Ogg<QComboBox>(id)->isEnabled()) << id;
  Pick(Ogg<QComboBox>(1034), "500");
  Pick(Ogg<QComboBox>(1036), "64");
  PressOK();
  OggConfiguration stored;
  Settings().GetOggConfiguration(stored);
  EXPECT_EQ(stored.qualityBased, 0);
  EXPECT_EQ(stored.minBitrateKbps, 500);
  EXPECT_EQ(stored.maxBitrateKbps, 64);
  EXPECT_EQ(stored.averageBitrateKbps, 112);
}

TEST_F(OptionsDlgTest, Mp3VbrMinimumAndMaximumAreStoredAsChosen) {
  Settings().SetFormat(201);
  Open();
  ShowTab(1);
  EXPECT_TRUE(Mp3<QRadioButton>(1028)->isChecked());
  EXPECT_TRUE(Mp3<QComboBox>(1027)->isEnabled());
  for (int id : {1030, 1031, 1040}) EXPECT_FALSE(Mp3<QComboBox>(id)->isEnabled()) << id;
  EXPECT_EQ(Mp3<QComboBox>(1030)->count(), 14);
  EXPECT_EQ(Mp3<QComboBox>(1041)->currentText(), "44100");
  EXPECT_TRUE(Mp3<QRadioButton>(1037)->isChecked());

  Mp3<QRadioButton>(1029)->click();
  EXPECT_FALSE(Mp3<QComboBox>(1027)->isEnabled());
  for (int id : {1030, 1031, 1040}) EXPECT_TRUE(Mp3<QComboBox>(id)->isEnabled()) << id;
  Pick(Mp3<QComboBox>(1030), "320");
  Pick(Mp3<QComboBox>(1031), "32");
  Pick(Mp3<QComboBox>(1040), "0");
  Pick(Mp3<QComboBox>(1041), "32000");
  Mp3<QRadioButton>(1036)->click();
  Mp3<QCheckBox>(1033)->setChecked(true);
  Mp3<QCheckBox>(1035)->setChecked(true);
  Mp3<QSlider>(1032)->setValue(2);
  PressOK();

  Mp3Configuration stored;
  ASSERT_TRUE(Settings().GetMp3Configuration(stored));
  Mp3Configuration expected;
  expected.vbrMinBitrateKbps = 320;
  expected.vbrMaxBitrateKbps = 32;
  expected.vbrQuality = 0;
  expected.outputSampleRateHz = 32000;
  expected.encodingQuality = 2;
  expected.channels = 1;
  expected.copyright = 1;
  expected.crc = 1;
  expected.cbr = 0;
  EXPECT_EQ(stored, expected);
}

TEST_F(OptionsDlgTest, Mp3PageShowsTheStoredRecordEachTimeItBecomesActive) {
  Settings().SetFormat(201);
  Open();
  ShowTab(1);
  Mp3Configuration changed;
  changed.cbrBitrateKbps = 150;  // not listed
  changed.cbr = 0;
  changed.original = 1;
  Settings().SetMp3Configuration(changed);
  ShowTab(0);
  ShowTab(1);
  EXPECT_EQ(Mp3<QComboBox>(1027)->currentIndex(), -1);
  EXPECT_TRUE(Mp3<QRadioButton>(1029)->isChecked());
  EXPECT_TRUE(Mp3<QCheckBox>(1034)->isChecked());
  PressOK();
  Mp3Configuration stored;
  Settings().GetMp3Configuration(stored);
  EXPECT_EQ(stored, changed);
}

DeviceEntry Compressor(const std::string& property, const std::string& name) {
  return {{{property, name}}, [](std::shared_ptr<IBaseFilter>*) { return E_NOTIMPL; }};
}

TEST_F(OptionsDlgTest, WavListLeavesOutNeverOfferedNamesByEqualityNotContainment) {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, [] {
    return std::vector<DeviceEntry>{Compressor("Description", "IMA ADPCM"), Compressor("Description", "IAC2"),
                                    Compressor("FriendlyName", "GSM 6.10"), Compressor("Description", "iac2 extended"),
                                    Compressor("Description", "Windows Media Audio V2")};
  });
  Settings().SetFormat(203);
  Open();
  ShowTab(1);
  auto* list = Wav<QComboBox>(1046);
  QStringList lines;
  for (int line = 0; line < list->count(); ++line) lines << list->itemText(line);
  EXPECT_EQ(lines, QStringList({"IMA ADPCM", "GSM 6.10", "iac2 extended"}));
  EXPECT_TRUE(Wav<QRadioButton>(1044)->isChecked());
  EXPECT_FALSE(list->isEnabled());
  EXPECT_EQ(list->currentIndex(), 0);

  Wav<QRadioButton>(1045)->click();
  EXPECT_TRUE(list->isEnabled());
  list->setCurrentIndex(2);
  PressOK();
  WavConfiguration stored;
  Settings().GetWavConfiguration(stored);
  EXPECT_EQ(stored, (WavConfiguration{3, 2}));
}

TEST_F(OptionsDlgTest, CompressedWavIsRestoredOnReopeningWhateverTheCompressorsNow) {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, [] {
    return std::vector<DeviceEntry>{Compressor("Description", "A"), Compressor("Description", "B"),
                                    Compressor("Description", "C"), Compressor("Description", "D")};
  });
  Settings().SetFormat(203);
  Settings().SetWavConfiguration(WavConfiguration{5, 2});
  Open();
  ShowTab(1);
  EXPECT_TRUE(Wav<QRadioButton>(1045)->isChecked());
  EXPECT_TRUE(Wav<QComboBox>(1046)->isEnabled());
  EXPECT_EQ(Wav<QComboBox>(1046)->currentIndex(), 2);
  PressOK();
  WavConfiguration stored;
  Settings().GetWavConfiguration(stored);
  // The line's own enumeration position is what is stored.
  EXPECT_EQ(stored, (WavConfiguration{2, 2}));

  Open();
  ShowTab(1);
  EXPECT_TRUE(Wav<QRadioButton>(1045)->isChecked());
  EXPECT_EQ(Wav<QComboBox>(1046)->currentIndex(), 2);
  Wav<QRadioButton>(1044)->click();
  EXPECT_FALSE(Wav<QComboBox>(1046)->isEnabled());
  PressOK();
  Settings().GetWavConfiguration(stored);
  EXPECT_EQ(stored, (WavConfiguration{-1, -1}));
}

TEST_F(OptionsDlgTest, WithoutCompressorsCompressedKeepsTheStoredChoice) {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, nullptr);
  Settings().SetFormat(203);
  Settings().SetWavConfiguration(WavConfiguration{5, 2});
  Open();
  ShowTab(1);
  EXPECT_TRUE(Wav<QRadioButton>(1045)->isChecked());
  EXPECT_EQ(Wav<QComboBox>(1046)->count(), 0);
  PressOK();
  WavConfiguration stored;
  Settings().GetWavConfiguration(stored);
  EXPECT_EQ(stored, (WavConfiguration{5, 2}));
}

TEST_F(OptionsDlgTest, SliderTipsFollowTheUsersScrollingAndRelease) {
  Settings().SetFormat(201);
  Open();
  ShowTab(1);
  auto* quality = Mp3<QSlider>(1032);
  CVtToolTipCtrl* tips = dialog.Mp3Page().ToolTips();
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->TipText(quality), "Control encoding quality");
  EXPECT_EQ(quality->maximum(), 9);
  EXPECT_EQ(quality->tickInterval(), 1);
  quality->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(tips->TipText(quality), "Encoding Quality: Decent, very fast");
  quality->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(tips->TipText(quality), "Encoding Quality: Best, slow");
  // The page setting a position is no scroll of the user's; a release shows where it is.
  quality->setValue(8);
  EXPECT_EQ(tips->TipText(quality), "Encoding Quality: Best, slow");
  quality->setSliderDown(true);
  quality->setSliderDown(false);
  EXPECT_EQ(tips->TipText(quality), "Encoding Quality: Low, lightning fast");

  ShowTab(0);
  Choose(1021);
  ShowTab(1);
  auto* oggQuality = Ogg<QSlider>(1039);
  tips = dialog.OggPage().ToolTips();
  EXPECT_EQ(tips->TipText(oggQuality), "Set a quality level: higher numbers imply higher quality");
  oggQuality->setSliderDown(true);
  oggQuality->setSliderPosition(37);
  EXPECT_EQ(tips->TipText(oggQuality), "Ogg Quality level: 37");
  oggQuality->setSliderDown(false);
  oggQuality->setValue(64);
  oggQuality->setSliderDown(true);
  oggQuality->setSliderDown(false);
  EXPECT_EQ(tips->TipText(oggQuality), "Ogg Quality level: 64");
  EXPECT_EQ(tips->TipText(Ogg<QComboBox>(1035)), "Select the average ogg audio bitrate");
}

TEST_F(OptionsDlgTest, TipsAreInactiveWhileShowToolTipsIsZero) {
  Settings().SetShowToolTips(false);
  Settings().SetFormat(201);
  Open();
  ShowTab(1);
  CVtToolTipCtrl* tips = dialog.Mp3Page().ToolTips();
  EXPECT_FALSE(tips->IsActive());
  EXPECT_EQ(tips->TipText(Mp3<QComboBox>(1027)), "Select a bitrate value");
  // Read again each time the page becomes active.
  Settings().SetShowToolTips(true);
  ShowTab(0);
  ShowTab(1);
  EXPECT_TRUE(tips->IsActive());

  Settings().SetShowToolTips(false);
  Choose(1019);
  ShowTab(1);
  EXPECT_FALSE(dialog.WmaPage().ToolTips()->IsActive());
  Choose(1021);
  ShowTab(1);
  EXPECT_FALSE(dialog.OggPage().ToolTips()->IsActive());
}

TEST_F(OptionsDlgTest, TipsAreActiveWhenShowToolTipsIsMissing) {
  Open();
  ShowTab(1);
  ASSERT_NE(dialog.WmaPage().ToolTips(), nullptr);
  EXPECT_TRUE(dialog.WmaPage().ToolTips()->IsActive());
  EXPECT_EQ(dialog.WmaPage().ToolTips()->TipText(ControlOf<QComboBox>(dialog.WmaPage(), 1020)),
            "Select an appropriate WMA codec.");
}

TEST_F(OptionsDlgTest, WmaPageStoresTheChosenFormatAndShowsItAgain) {
  ProfileEnumerator enumerator;
  const std::vector<std::string> codecs = enumerator.GetCodecNames();
  const WmaFormatMap formats = enumerator.GetFormatMap();
  ASSERT_FALSE(codecs.empty());
  const std::vector<WmaFormatEntry> lines = FormatLinesFor(formats, codecs[0]);
  ASSERT_GT(lines.size(), 1u);

  Open();
  ShowTab(1);
  auto* codecList = ControlOf<QComboBox>(dialog.WmaPage(), 1020);
  auto* formatList = ControlOf<QComboBox>(dialog.WmaPage(), 1021);
  ASSERT_EQ(codecList->count(), static_cast<int>(codecs.size()));
  EXPECT_EQ(codecList->currentIndex(), 0);
  ASSERT_EQ(formatList->count(), static_cast<int>(lines.size()));
  EXPECT_EQ(formatList->itemText(1).toStdString(), lines[1].description);
  formatList->setCurrentIndex(static_cast<int>(lines.size()) - 1);
  PressOK();
  WmaConfiguration stored;
  ASSERT_TRUE(Settings().GetWmaConfiguration(stored));
  EXPECT_EQ(stored, ConfigurationFor(0, lines.back()));

  Open();
  ShowTab(1);
  EXPECT_EQ(ControlOf<QComboBox>(dialog.WmaPage(), 1021)->currentIndex(), static_cast<int>(lines.size()) - 1);
}

}  // namespace
