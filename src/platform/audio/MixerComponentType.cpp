#include "platform/audio/MixerComponentType.h"

#include <cctype>
#include <vector>

#include "platform/audio/MixerTypes.h"

namespace {

std::vector<std::string> LowerWords(const std::string& text) {
  std::vector<std::string> words(1);
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      words.back() += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!words.back().empty()) {
      words.emplace_back();
    }
  }
  return words;
}

}  // namespace

uint32_t ComponentTypeFromName(const std::string& name) {
  struct Rule {
    const char* word;
    uint32_t type;
  };
  // In order of precedence: "Line Mic" is a microphone, "CD Digital" a compact disc.
  static constexpr Rule kRules[] = {
      {"mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},     {"microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
      {"headset", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}, {"cd", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC},
      {"line", MIXERLINE_COMPONENTTYPE_SRC_LINE},          {"aux", MIXERLINE_COMPONENTTYPE_SRC_ANALOG},
      {"analog", MIXERLINE_COMPONENTTYPE_SRC_ANALOG},      {"video", MIXERLINE_COMPONENTTYPE_SRC_ANALOG},
      {"phone", MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE},    {"digital", MIXERLINE_COMPONENTTYPE_SRC_DIGITAL},
      {"iec958", MIXERLINE_COMPONENTTYPE_SRC_DIGITAL},     {"spdif", MIXERLINE_COMPONENTTYPE_SRC_DIGITAL},
      {"synth", MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER},  {"beep", MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER},
      {"mix", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},        {"pcm", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},
  };
  const std::vector<std::string> words = LowerWords(name);
  for (const Rule& rule : kRules)
    for (const std::string& word : words)
      if (word == rule.word) return rule.type;
  return MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
}
