#include <gtest/gtest.h>

#include "platform/registry/RegistryText.h"

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

RegistryKeyMap OneKey(const std::string& name, RegistryValue value) {
  RegistryKeyMap keys;
  keys["Software\\Vantro Solutions\\Corvox"][name] = std::move(value);
  return keys;
}

}  // namespace

TEST(RegistryText, WritesTheReadableFormsAndReadsThemBack) {
  RegistryKeyMap keys;
  RegistryValueMap& values = keys["Software\\Vantro Solutions\\Corvox"];
  values["Format"] = {REG_DWORD, {0xc8, 0, 0, 0}};
  values["Audio Filename"] = {REG_SZ, Bytes(std::string_view("C:\\rec \"new\".wav\0", 17))};
  values["WAV Configuration"] = {REG_BINARY, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
  values[""] = {REG_EXPAND_SZ, {'a', 0}};

  const std::string text = FormatRegistryText(keys);
  EXPECT_EQ(text,
            "Corvox Registry Version 1\n"
            "\n"
            "[Software\\Vantro Solutions\\Corvox]\n"
            "@=hex(2):61,00\n"
            "\"Audio Filename\"=\"C:\\\\rec \\\"new\\\".wav\"\n"
            "\"Format\"=dword:000000c8\n"
            "\"WAV Configuration\"=hex:ff,ff,ff,ff,ff,ff,ff,ff\n");
  RegistryKeyMap parsed;
  ASSERT_TRUE(ParseRegistryText(text, parsed));
  EXPECT_EQ(parsed, keys);
}

// Every value must come back with its type and bytes unchanged, however odd.
class RegistryTextRoundTrip : public ::testing::TestWithParam<RegistryValue> {};

TEST_P(RegistryTextRoundTrip, KeepsTypeAndBytes) {
  const RegistryKeyMap keys = OneKey("Value \"quoted\" \\ name", GetParam());
  RegistryKeyMap parsed;
  ASSERT_TRUE(ParseRegistryText(FormatRegistryText(keys), parsed)) << FormatRegistryText(keys);
  EXPECT_EQ(parsed, keys) << FormatRegistryText(keys);
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, RegistryTextRoundTrip,
    ::testing::Values(RegistryValue{REG_SZ, Bytes(std::string_view("text\0", 5))},
                      RegistryValue{REG_SZ, Bytes("no terminating zero")},
                      RegistryValue{REG_SZ, Bytes(std::string_view("embedded\0zero\0", 14))},
                      RegistryValue{REG_SZ, Bytes(std::string_view("two zeros\0\0", 11))},
                      RegistryValue{REG_SZ, Bytes(std::string_view("line\nbreak\0", 11))},
                      RegistryValue{REG_SZ, Bytes(std::string_view("\0", 1))}, RegistryValue{REG_SZ, {}},
                      RegistryValue{REG_SZ, Bytes(std::string_view("\xff\xfe tab\t cr\r\0", 12))},
                      RegistryValue{REG_EXPAND_SZ, Bytes(std::string_view("$HOME\0", 6))},
                      RegistryValue{REG_BINARY, {}}, RegistryValue{REG_BINARY, {0, 1, 0x7f, 0x80, 0xff}},
                      RegistryValue{REG_DWORD, {0xff, 0xff, 0xff, 0xff}}, RegistryValue{REG_DWORD, {1, 2, 3}},
                      RegistryValue{REG_NONE, {}}, RegistryValue{REG_NONE, {9}},
                      RegistryValue{0xb, {1, 2, 3, 4, 5, 6, 7, 8}}, RegistryValue{0xffffffff, {0}}));

TEST(RegistryText, AcceptsBlankLinesCommentsCrLfAndAnyCase) {
  const std::string text =
      "Corvox Registry Version 1\r\n"
      "; kept by hand\r\n"
      "\r\n"
      "[Software\\Vantro Solutions\\Corvox]  \r\n"
      "\"Format\"=dword:000000CB\r\n"
      "\"format\"=dword:000000c9\r\n"
      "\"Bin\"=hex:AB\r\n";
  RegistryKeyMap keys;
  ASSERT_TRUE(ParseRegistryText(text, keys));
  const RegistryValueMap& values = keys.at("software\\vantro solutions\\corvox");
  ASSERT_EQ(values.size(), 2u) << "names differing only in case are one value";
  EXPECT_EQ(values.begin()->first, "Bin");
  EXPECT_EQ(values.at("FORMAT"), (RegistryValue{REG_DWORD, {0xc9, 0, 0, 0}}));
}

TEST(RegistryText, EmptyTextIsAnEmptyRegistry) {
  RegistryKeyMap keys = OneKey("x", {});
  EXPECT_TRUE(ParseRegistryText("", keys));
  EXPECT_TRUE(keys.empty());
}

class RegistryTextDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(RegistryTextDamaged, IsRefusedAndLeavesNoKeys) {
  RegistryKeyMap keys = OneKey("x", {});
  EXPECT_FALSE(ParseRegistryText(GetParam(), keys));
  EXPECT_TRUE(keys.empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, RegistryTextDamaged,
                         ::testing::Values("Windows Registry Editor Version 5.00\n", "\nCorvox Registry Version 1\n",
                                           "Corvox Registry Version 1\n\"Format\"=dword:000000c8\n",
                                           "Corvox Registry Version 1\n[]\n", "Corvox Registry Version 1\n[A\\\\B]\n",
                                           "Corvox Registry Version 1\n[\\A]\n", "Corvox Registry Version 1\n[A\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=dword:c8\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=dword:0000000c8\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=dword:0000000g\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=hex:1,2\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=hex:01,\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=hex(1x):01\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=hex(123456789):01\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=\"open\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=\"bad \\n escape\"\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"=\"text\" tail\n",
                                           "Corvox Registry Version 1\n[A]\n\"F\"\n",
                                           "Corvox Registry Version 1\n[A]\nF=dword:00000001\n",
                                           std::string("Corvox Registry Version 1\n[A]\n\"F\0\"=hex:\n", 40)));
