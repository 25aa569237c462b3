#include <gtest/gtest.h>

#include "app/GeneralOptions.h"
#include "settings/SettingsStore.h"
#include "support/ScratchFolder.h"

namespace {

class GeneralOptionsTest : public testing::Test {
 protected:
  ScratchFolder m_folder;
  SettingsStore m_store{m_folder.File("corvox.reg"), m_folder.Path()};
};

uint32_t StoredPreview(SettingsStore& store) {
  uint32_t flags = 99;
  store.GetPreviewAudio(flags);
  return flags;
}

}  // namespace

TEST_F(GeneralOptionsTest, PreviewIsStoredOverWhatTheStoreHoldsNowNotWhatWasLoaded) {
  m_store.SetPreviewAudio(2);
  AudioOptions options;
  options.Load(m_store);
  EXPECT_TRUE(options.previewWanted);
  // The audio source dialog set its bit meanwhile.
  m_store.SetPreviewAudio(3);
  options.Store(m_store);
  EXPECT_EQ(StoredPreview(m_store), 3u);
  options.previewWanted = false;
  options.Store(m_store);
  EXPECT_EQ(StoredPreview(m_store), 1u);
}

TEST_F(GeneralOptionsTest, TipsAndUpdatesAreOnWhenAbsentAndOnlyOneMeansOn) {
  EXPECT_TRUE(m_store.GetShowToolTips());
  MiscellaneousOptions options;
  options.showToolTips = options.autoUpdate = false;
  options.Load(m_store);
  EXPECT_TRUE(options.showToolTips);
  EXPECT_TRUE(options.autoUpdate);

  m_store.WriteDword(kShowToolTipsSetting, 0);
  m_store.WriteDword(kAutoUpdateSetting, 2);
  options.Load(m_store);
  EXPECT_FALSE(m_store.GetShowToolTips());
  EXPECT_FALSE(options.showToolTips);
  EXPECT_FALSE(options.autoUpdate);

  options.showToolTips = true;
  options.Store(m_store);
  uint32_t tips = 7, update = 7;
  m_store.ReadDword(kShowToolTipsSetting, tips);
  m_store.ReadDword(kAutoUpdateSetting, update);
  EXPECT_EQ(tips, 1u);
  EXPECT_EQ(update, 0u);
}

TEST(DestinationChooserTest, StartsAtTheTemplateWithTheFormatsExtension) {
  const SaveFileDialogOptions numbered = DestinationChooserOptions("/rec/takes/take.wav", ".ogg", false);
  EXPECT_EQ(numbered.title, "Choose the destination file");
  EXPECT_EQ(numbered.filter,
            "Audio Files (*.wma, *.mp3, *.ogg, *.wav)|*.wma;*.mp3;*.ogg;*.wav;|Windows Media Audio Files (*.wma)|*.wma;|"
            "MP3 Files (*.mp3)|*.mp3;|Ogg-Vorbis Audio Files (*.ogg)|*.ogg;|WAV Files (*.wav)|*.wav;||");
  EXPECT_EQ(numbered.defaultExtension, ".ogg");
  EXPECT_EQ(numbered.initialFile, "/rec/takes/take.wav");
  EXPECT_EQ(numbered.initialFolder, "/rec/takes");
  EXPECT_EQ(numbered.maxPathChars, 32768u);
  EXPECT_TRUE(numbered.hideReadOnly);
  EXPECT_TRUE(numbered.overwritePrompt);

  EXPECT_FALSE(DestinationChooserOptions("/rec/take.wav", ".wav", true).overwritePrompt);
  EXPECT_EQ(DestinationChooserOptions("take.wav", ".wav", false).initialFolder, "");
  EXPECT_EQ(DestinationChooserOptions(std::string(40000, 'a'), ".wav", false).initialFile.size(), 32767u);
}
