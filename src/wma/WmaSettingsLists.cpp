#include "wma/WmaSettingsLists.h"

#include <array>

#include "platform/shell/TextCase.h"

namespace {

struct DescriptionRule {
  std::array<const char*, 2> names;
  bool equality;  // else containment
  int stringId;
};

constexpr DescriptionRule kRules[] = {
    {{"windows media audio 9", "windows media audio 9.1"}, true, 129},
    {{"windows media audio 9 voice", "windows media audio 9.1 voice"}, false, 130},
    {{"windows media audio 9 professional", "windows media audio 9.1 professional"}, false, 131},
    {{"windows media audio 9 lossless", "windows media audio 9.1 lossless"}, false, 132},
    {{"acelp.net", nullptr}, false, 133},
};

// Letters of the ASCII range only: bytes of multibyte UTF-8 characters are left alone.

}  // namespace

std::vector<WmaFormatEntry> FormatLinesFor(const WmaFormatMap& formats, const std::string& codecName) {
  std::vector<WmaFormatEntry> lines;
  const auto [first, last] = formats.equal_range(codecName);
  for (auto entry = first; entry != last; ++entry) lines.push_back(entry->second);
  return lines;
}

std::optional<int> CodecDescriptionStringId(const std::string& codecName) {
  const std::string name = LowerCase(codecName);
  for (const DescriptionRule& rule : kRules) {
    for (const char* text : rule.names) {
      if (text == nullptr) continue;
      if (rule.equality ? name == text : name.find(text) != std::string::npos) return rule.stringId;
    }
  }
  return std::nullopt;
}

std::string CodecDescriptionText(int stringId) {
  switch (stringId) {
    case 129:
      return "Generic Windows Media codec suitable for a wide variety of audio such as voice, music etc.";
    case 130:
      return "This codec is ideally suited for recording voice, usually at lower qualities.\n\rCreates extremely "
             "small files suitable for telephone quality voice or higher.";
    case 131:
      return "This codec is perfect for creating extremely high quality audio used in professional audio "
             "environments. Recommended for use with high end audio hardware.";
    case 132:
      return "This codec compresses audio without any loss of quality. Ideal for professional work when heavy "
             "editing and processing is the norm.";
    case 133:
      return "Very low bit rate codec used in voice recoding, especially at telephone quality.";
    default:
      return {};
  }
}

std::optional<size_t> CodecLineFor(const WmaConfiguration& stored, size_t codecCount) {
  if (codecCount == 0) return std::nullopt;
  const bool listed = stored.codecIndex >= 0 && static_cast<size_t>(stored.codecIndex) < codecCount;
  return listed ? static_cast<size_t>(stored.codecIndex) : 0;
}

std::optional<size_t> FormatLineFor(const WmaConfiguration& stored, const std::vector<WmaFormatEntry>& lines) {
  if (lines.empty()) return std::nullopt;
  for (size_t line = 0; line < lines.size(); ++line) {
    if (static_cast<int64_t>(lines[line].formatIndex) == stored.formatIndex && lines[line].isVbr == (stored.vbr != 0))
      return line;
  }
  return 0;
}

WmaConfiguration ConfigurationFor(size_t codecLine, const WmaFormatEntry& formatLine) {
  WmaConfiguration configuration;
  configuration.codecIndex = static_cast<int32_t>(codecLine);
  configuration.formatIndex = static_cast<int32_t>(formatLine.formatIndex);
  configuration.vbr = formatLine.isVbr ? 1 : 0;
  return configuration;
}
