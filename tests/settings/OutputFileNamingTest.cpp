#include <filesystem>

#include "settings/OutputFileNaming.h"
#include "settings/SettingsTestStore.h"
#include "settings/SpawnFileIterator.h"

class FileNaming : public SettingsTestStore {
 protected:
  FileNaming() { std::filesystem::create_directory(folder.File("rec")); }

  // Records onto the template folder "rec".
  void UseTemplate(const std::string& name, int format) {
    ASSERT_TRUE(store.SetAudioFilename(folder.File("rec/" + name)));
    ASSERT_TRUE(store.SetFormat(format));
  }

  void Touch(const std::string& name) { folder.WriteText("rec/" + name, "recording"); }

  std::string Rec(const std::string& name) const { return folder.File("rec/" + name); }
};

TEST_F(FileNaming, ExtensionFollowsTheFormatCode) {
  EXPECT_EQ(ExtensionForFormat(200), ".wma");
  EXPECT_EQ(ExtensionForFormat(201), ".mp3");
  EXPECT_EQ(ExtensionForFormat(202), ".ogg");
  EXPECT_EQ(ExtensionForFormat(203), ".wav");
  EXPECT_EQ(ExtensionForFormat(204), "");
  EXPECT_EQ(ExtensionForFormat(0), "");
}

TEST_F(FileNaming, DefaultTemplateLivesInTheMusicFolder) {
  ASSERT_TRUE(store.SetFormat(201));
  EXPECT_EQ(GetFileNameTemplate(store), MusicFolder() + "/Vantro Audio/vantroaudio.mp3");
  EXPECT_TRUE(std::filesystem::is_directory(MusicFolder() + "/Vantro Audio"));
}

TEST_F(FileNaming, StoredTemplateTakesTheFormatsExtension) {
  UseTemplate("take.wav", 202);
  EXPECT_EQ(GetFileNameTemplate(store), Rec("take.ogg"));
  UseTemplate("take.WAV", 203);
  EXPECT_EQ(GetFileNameTemplate(store), Rec("take.wav"));
  UseTemplate("take", 203);
  EXPECT_EQ(GetFileNameTemplate(store), Rec("take"));
}

TEST_F(FileNaming, NumbersOneAboveTheHighestRecording) {
  UseTemplate("vantroaudio.wma", 200);
  EXPECT_EQ(NextOutputFileName(store), "");

  Touch("vantroaudio.wma");
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio001.wma"));

  Touch("vantroaudio001.wma");
  Touch("vantroaudio007.WMA");
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio008.wma"));
}

TEST_F(FileNaming, OnlyNamesOfTheTemplateAndFormatCount) {
  UseTemplate("vantroaudio.wma", 200);
  Touch("vantroaudio.wma");
  Touch("vantroaudio004.mp3");
  Touch("vantroaudio12.wma");
  Touch("vantroaudio0001.wma");
  Touch("xvantroaudio005.wma");
  Touch("Vantroaudio006.wma");
  std::filesystem::create_directory(Rec("vantroaudio009.wma"));
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio001.wma"));
}

TEST_F(FileNaming, OverwritingUsesTheTemplateEveryTime) {
  UseTemplate("vantroaudio.wma", 200);
  Touch("vantroaudio.wma");
  Touch("vantroaudio001.wma");
  ASSERT_TRUE(store.SetOverwritingBehaviour(true));
  EXPECT_EQ(NextOutputFileName(store), "");
}

TEST_F(FileNaming, PastNineHundredNinetyNineNoRecordingIsReplaced) {
  UseTemplate("vantroaudio.ogg", 202);
  Touch("vantroaudio.ogg");
  Touch("vantroaudio999.ogg");
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio1000.ogg"));
  Touch("vantroaudio1000.ogg");
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio1001.ogg"));
}

TEST_F(FileNaming, ATakenNumberIsSkipped) {
  UseTemplate("vantroaudio.wav", 203);
  Touch("vantroaudio.wav");
  std::filesystem::create_directory(Rec("vantroaudio001.wav"));  // not counted, but taken
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio002.wav"));
}

TEST_F(FileNaming, TemplateNameThatIsNotARecordingIsNotReplaced) {
  UseTemplate("vantroaudio.wav", 203);
  std::filesystem::create_directory(Rec("vantroaudio.wav"));
  EXPECT_EQ(NextOutputFileName(store), Rec("vantroaudio001.wav"));
}

TEST_F(FileNaming, DigitsAtTheEndOfTheTemplateAreNotARecordingNumber) {
  UseTemplate("session123.mp3", 201);
  Touch("session123.mp3");
  EXPECT_EQ(NextOutputFileName(store), Rec("session123001.mp3"));
}

TEST_F(FileNaming, TemplateWithoutExtensionIsNumberedToo) {
  UseTemplate("take", 200);
  EXPECT_EQ(NextOutputFileName(store), "");
  Touch("take");
  Touch("take.wma");
  EXPECT_EQ(NextOutputFileName(store), Rec("take001"));
  Touch("take001");
  EXPECT_EQ(NextOutputFileName(store), Rec("take002"));
}

TEST(SpawnFileIterator, ListsAcceptedNamesInListingOrderAndReadsTheirNumbers) {
  ScratchFolder folder;
  for (const char* name : {"vantroaudio.wma", "vantroaudio003.wma", "other.wma", "vantroaudio-02.wma",
                           "vantroaudio 12.wma", "vantroaudio7x1.wma"}) {
    folder.WriteText(name, "");
  }
  CSpawnFileIterator iterator(folder.Path(), "vantroaudio", ".wma");
  std::map<std::string, int> numbers;
  for (std::string name = iterator.First(); !name.empty(); name = iterator.Next()) {
    numbers[name] = iterator.NumberOf(name);
  }
  EXPECT_EQ(numbers, (std::map<std::string, int>{{"vantroaudio.wma", 0},
                                                 {"vantroaudio003.wma", 3},
                                                 {"vantroaudio-02.wma", -2},
                                                 {"vantroaudio 12.wma", 12},
                                                 {"vantroaudio7x1.wma", 7}}));
  EXPECT_EQ(iterator.Next(), "");
  EXPECT_FALSE(iterator.First().empty()) << "First starts over";
}
