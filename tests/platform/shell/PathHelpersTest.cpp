#include <gtest/gtest.h>

#include "platform/shell/PathHelpers.h"

TEST(ShellPathHelpers, ExtensionIsTakenFromTheLastDotOfTheLastComponent) {
  EXPECT_EQ(PathFindExtension("/rec/vantroaudio.wma"), ".wma");
  EXPECT_EQ(PathFindExtension("/rec/take.final.WAV"), ".WAV");
  EXPECT_EQ(PathFindExtension("/rec.d/take"), "");
  EXPECT_EQ(PathFindExtension("take."), ".");
  EXPECT_EQ(PathFindExtension(""), "");

  EXPECT_EQ(PathRemoveExtension("/rec/take.final.wav"), "/rec/take.final");
  EXPECT_EQ(PathRemoveExtension("/rec.d/take"), "/rec.d/take");
}

TEST(ShellPathHelpers, FileSpecAndFileNameSplitAtTheLastSeparator) {
  EXPECT_EQ(PathRemoveFileSpec("/home/ann/take.wav"), "/home/ann");
  EXPECT_EQ(PathRemoveFileSpec("/take.wav"), "/");
  EXPECT_EQ(PathRemoveFileSpec("/"), "/");
  EXPECT_EQ(PathRemoveFileSpec("take.wav"), "");

  EXPECT_EQ(PathFindFileName("/home/ann/take.wav"), "take.wav");
  EXPECT_EQ(PathFindFileName("take.wav"), "take.wav");
  EXPECT_EQ(PathFindFileName("/home/ann/"), "ann/");
}

TEST(ShellPathHelpers, AppendAddsExactlyOneSeparator) {
  EXPECT_EQ(PathAppend("/music", "vantroaudio"), "/music/vantroaudio");
  EXPECT_EQ(PathAppend("/music/", "vantroaudio"), "/music/vantroaudio");
  EXPECT_EQ(PathAppend("/music", "/vantroaudio"), "/music/vantroaudio");
  EXPECT_EQ(PathAppend("", "vantroaudio"), "vantroaudio");
  EXPECT_EQ(PathAppend("/music", ""), "/music");
}
