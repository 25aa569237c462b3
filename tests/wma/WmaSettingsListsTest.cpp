#include <gtest/gtest.h>

#include "wma/WmaSettingsLists.h"

namespace {

TEST(WmaCodecDescription, FirstMatchingRuleWinsWithEqualityForTheGenericCodec) {
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9"), 129);
  EXPECT_EQ(CodecDescriptionStringId("WINDOWS MEDIA AUDIO 9.1"), 129);
  // Begins with the generic name, but only rule 2 matches by containment.
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9 Voice"), 130);
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9.2 Lossless"), std::nullopt);
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9.1 Professional"), 131);
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9 Lossless"), 132);
  EXPECT_EQ(CodecDescriptionStringId("Sipro Lab ACELP.net"), 133);
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio V2"), std::nullopt);
  EXPECT_EQ(CodecDescriptionStringId("Windows Media Audio 9 (x)"), std::nullopt);
  EXPECT_EQ(CodecDescriptionText(130).substr(0, 29), "This codec is ideally suited ");
  EXPECT_EQ(CodecDescriptionText(128), "");
}

TEST(WmaFormatLines, RestoringFindsTheLineWithTheStoredIndexAndMode) {
  const std::vector<WmaFormatEntry> lines = {
      {"C", "cbr 0", 0, false}, {"C", "cbr 3", 3, false}, {"C", "vbr 0", 0, true}, {"C", "vbr 3", 3, true}};
  // A format offered in both modes: the VBR flag tells the lines apart.
  EXPECT_EQ(FormatLineFor({0, 3, 1}, lines), 3u);
  EXPECT_EQ(FormatLineFor({0, 3, 0}, lines), 1u);
  EXPECT_EQ(FormatLineFor({0, 24, 0}, lines), 0u);  // not listed: the first line
  EXPECT_EQ(FormatLineFor({0, 0, 0}, {}), std::nullopt);

  // Storing what was selected, then restoring it, selects the same line.
  const WmaConfiguration stored = ConfigurationFor(2, lines[3]);
  EXPECT_EQ(stored, (WmaConfiguration{2, 3, 1}));
  EXPECT_EQ(FormatLineFor(stored, lines), 3u);
}

TEST(WmaCodecLines, AStoredPositionPastTheListSelectsTheFirstCodec) {
  EXPECT_EQ(CodecLineFor({1, 24, 0}, 2), 1u);
  EXPECT_EQ(CodecLineFor({2, 24, 0}, 2), 0u);
  EXPECT_EQ(CodecLineFor({-1, 24, 0}, 2), 0u);
  EXPECT_EQ(CodecLineFor({0, 24, 0}, 0), std::nullopt);
}

}  // namespace
