#include <gtest/gtest.h>

#include <algorithm>

#include "wma/FakeCodecInfo.h"
#include "wma/ProfileEnumerator.h"
#include "wma/WmaSettingsLists.h"

namespace {

using Lines = std::vector<WmaFormatEntry>;

WmaFormatEntry Line(const std::string& codec, const std::string& description, uint32_t index, bool vbr) {
  return {codec, description, index, vbr};
}

TEST(ProfileEnumerator, KeepsTheRuntimesCodecOrderAndListsCbrBeforeVbr) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{
      {"Zeta Voice", {"z0", "z1"}, std::vector<std::string>{"zv0"}},
      {"Alpha", {"a0", "a1 (A/V) mix", "a2"}, std::vector<std::string>{"av0", "av1"}},
  });
  ProfileEnumerator enumerator(info);
  EXPECT_EQ(enumerator.GetCodecNames(), (std::vector<std::string>{"Zeta Voice", "Alpha"}));
  const WmaFormatMap map = enumerator.GetFormatMap();
  // The map is ordered by name; each codec's entries keep their listing order.
  EXPECT_EQ(map.begin()->first, "Alpha");
  EXPECT_EQ(FormatLinesFor(map, "Alpha"), (Lines{Line("Alpha", "a0", 0, false), Line("Alpha", "a2", 2, false),
                                                 Line("Alpha", "av0", 0, true), Line("Alpha", "av1", 1, true)}));
  EXPECT_EQ(FormatLinesFor(map, "Zeta Voice"),
            (Lines{Line("Zeta Voice", "z0", 0, false), Line("Zeta Voice", "z1", 1, false),
                   Line("Zeta Voice", "zv0", 0, true)}));
}

TEST(ProfileEnumerator, ListsACodecWhoseFormatsAreAllForVideoWithoutFormats) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{
      {"Mixed", {"32 kbps (A/V)", "(A/V) 64 kbps"}, std::nullopt},
      {"", {"x"}, std::nullopt},
  });
  ProfileEnumerator enumerator(info);
  EXPECT_EQ(enumerator.GetCodecNames(), (std::vector<std::string>{"Mixed", ""}));
  const WmaFormatMap map = enumerator.GetFormatMap();
  EXPECT_TRUE(FormatLinesFor(map, "Mixed").empty());
  EXPECT_EQ(FormatLinesFor(map, "").size(), 1u);
}

TEST(ProfileEnumerator, ACodecWithoutVbrSettingStillListsItsCbrFormats) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{{"Plain", {"p0", "p1"}, std::nullopt}});
  ProfileEnumerator enumerator(info);
  EXPECT_EQ(FormatLinesFor(enumerator.GetFormatMap(), "Plain"),
            (Lines{Line("Plain", "p0", 0, false), Line("Plain", "p1", 1, false)}));
  // CBR mode is asked for without a pass count; VBR with one pass.
  EXPECT_NE(std::find(info->calls.begin(), info->calls.end(), "setting _VBRENABLED=0 0"), info->calls.end());
  EXPECT_NE(std::find(info->calls.begin(), info->calls.end(), "setting _VBRENABLED=1 0"), info->calls.end());
  EXPECT_EQ(std::count(info->calls.begin(), info->calls.end(), "setting _PASSESUSED=0 0"), 0);
}

TEST(ProfileEnumerator, AFailingVbrSettingGivesNoFormats) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{{"Odd", {"o0"}, std::vector<std::string>{"ov0"}}});
  info->failVbrSetting = true;
  ProfileEnumerator enumerator(info);
  EXPECT_EQ(enumerator.GetCodecNames().size(), 1u);
  EXPECT_TRUE(enumerator.GetFormatMap().empty());
}

TEST(ProfileEnumerator, EnumeratesOnceEvenWhenNothingIsFound) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{{"Video only", {"(A/V)"}, std::nullopt}});
  ProfileEnumerator enumerator(info);
  EXPECT_TRUE(enumerator.GetFormatMap().empty());
  EXPECT_TRUE(enumerator.GetFormatMap().empty());
  EXPECT_EQ(enumerator.GetCodecNames(), std::vector<std::string>{"Video only"});
  EXPECT_EQ(std::count(info->calls.begin(), info->calls.end(), "count"), 1);
}

TEST(ProfileEnumerator, AFailedCountListsNothing) {
  auto info = std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{{"A", {"a"}, std::nullopt}});
  info->failCount = true;
  ProfileEnumerator enumerator(info);
  EXPECT_TRUE(enumerator.GetCodecNames().empty());
  EXPECT_TRUE(enumerator.GetFormatMap().empty());
}

TEST(ProfileEnumerator, TheRuntimesListPutsTheDefaultFormatOnItsOwnLine) {
  ProfileEnumerator enumerator;
  const std::vector<std::string> codecs = enumerator.GetCodecNames();
  ASSERT_FALSE(codecs.empty());
  const Lines lines = FormatLinesFor(enumerator.GetFormatMap(), codecs[0]);
  const std::optional<size_t> line = FormatLineFor(WmaConfiguration{}, lines);
  ASSERT_TRUE(line);
  EXPECT_EQ(lines[*line].formatIndex, 24u);
  EXPECT_EQ(lines[*line].description, "128 kbps, 44 kHz, stereo CBR");
}

}  // namespace
