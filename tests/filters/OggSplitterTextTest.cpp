// What the splitter reads from comments: chapter times, chapter names, languages.

#include <gtest/gtest.h>
#include <vorbis/codec.h>

#include "filters/OggChapterTime.h"
#include "filters/OggCommentList.h"
#include "filters/OggLanguage.h"
#include "platform/media/WaveFormat.h"

namespace {

TEST(OggChapterTimeTest, ReadsHoursMinutesSecondsAndFractions) {
  EXPECT_EQ(ParseChapterTime("00:01:30.500"), 905'000'000);
  EXPECT_EQ(ParseChapterTime("01:30"), 900'000'000);
  EXPECT_EQ(ParseChapterTime("90"), 900'000'000);  // digits alone are seconds
  EXPECT_EQ(ParseChapterTime("0"), 0);
  EXPECT_EQ(ParseChapterTime("1:02:03"), 37'230'000'000);
  EXPECT_EQ(ParseChapterTime("1.5"), 15'000'000);
  EXPECT_EQ(ParseChapterTime("0.0000001"), 1);
  EXPECT_EQ(ParseChapterTime("10:00:00.25"), 360'002'500'000);
}

TEST(OggChapterTimeTest, TextItCannotReadIsZero) {
  EXPECT_EQ(ParseChapterTime(""), 0);
  EXPECT_EQ(ParseChapterTime("abc"), 0);
  EXPECT_EQ(ParseChapterTime("1:2:03"), 0);      // one minute digit before the hours
  EXPECT_EQ(ParseChapterTime("12.345.6"), 0);    // two fractions
  EXPECT_EQ(ParseChapterTime("1.23456789"), 0);  // finer than 100 ns
  EXPECT_EQ(ParseChapterTime(" 01:30"), 0);
  EXPECT_EQ(ParseChapterTime("99999999999999999999999999"), 0);
  EXPECT_EQ(ParseChapterTime("1:2:3:4:5:6:7:8:9:0:1:2:3:4:5:6:7:8"), 0);
}

TEST(OggChapterTimeTest, DisplayNameShowsTheTimeToTheMillisecond) {
  EXPECT_EQ(ChapterDisplayName(905'000'000, "Intro"), "00:01:30.500 Intro");
  EXPECT_EQ(ChapterDisplayName(37'230'019'999, "Chapter 2"), "01:02:03.001 Chapter 2");
}

TEST(OggLanguageTest, MatchesTheNameTheValueStartsWith) {
  EXPECT_EQ(LanguageFromComment("english"), 0x09);
  EXPECT_EQ(LanguageFromComment("English (United Kingdom)"), 0x09);
  EXPECT_EQ(LanguageFromComment("german"), 0x07);
  EXPECT_EQ(LanguageFromComment("Serbian"), 0x1A);
  EXPECT_EQ(LanguageFromComment("croatian"), 0x1A);
  EXPECT_EQ(LanguageFromComment("ukrainian"), 0x22);
  EXPECT_EQ(LanguageFromComment("off"), 0x09);
  EXPECT_EQ(LanguageFromComment("ENGLISH"), 0);  // only the first letter is folded
  EXPECT_EQ(LanguageFromComment("klingon"), 0);
  EXPECT_EQ(LanguageFromComment("Eng"), 0);
  EXPECT_EQ(LanguageFromComment(""), 0);
}

std::vector<uint8_t> CommentPacket(const std::vector<std::pair<std::string, std::string>>& tags) {
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  for (const auto& [key, value] : tags) vorbis_comment_add_tag(&comment, key.c_str(), value.c_str());
  ogg_packet packet;
  vorbis_commentheader_out(&comment, &packet);
  std::vector<uint8_t> bytes(packet.packet, packet.packet + packet.bytes);
  ogg_packet_clear(&packet);
  vorbis_comment_clear(&comment);
  return bytes;
}

TEST(OggCommentListTest, FindsValuesByKeyIgnoringCase) {
  OggCommentList comments;
  ASSERT_TRUE(comments.Parse(CommentPacket({{"LANGUAGE", "french"}, {"Chapter01", "00:00:05"}, {"TITLE", "a=b"}})));
  EXPECT_EQ(comments.Query("language"), "french");
  EXPECT_EQ(comments.Query("CHAPTER01"), "00:00:05");
  EXPECT_EQ(comments.Query("TITLE"), "a=b");
  EXPECT_FALSE(comments.Query("CHAPTER0"));
  EXPECT_FALSE(comments.Query("CHAPTER02"));
}

TEST(OggCommentListTest, RefusesPacketsCutShortOrLying) {
  const std::vector<uint8_t> whole = CommentPacket({{"LANGUAGE", "french"}});
  OggCommentList comments;
  for (size_t length = 0; length + 1 < whole.size(); ++length) {
    // The framing byte at the end is optional; anything shorter loses the entry.
    EXPECT_FALSE(comments.Parse({whole.data(), length})) << length;
    EXPECT_TRUE(comments.Entries().empty());
  }
  std::vector<uint8_t> lying = whole;
  lying[7 + 4 + GetLe32(lying.data() + 7) + 3] = 0x7F;  // the entry count's high byte
  EXPECT_FALSE(comments.Parse(lying));
  std::vector<uint8_t> notComments = whole;
  notComments[0] = 5;
  EXPECT_FALSE(comments.Parse(notComments));
}

}  // namespace
