#pragma once
// One listed format of a Windows Media audio codec.

#include <cstdint>
#include <map>
#include <string>

struct WmaFormatEntry {
  std::string codecName;
  std::string description;   // what the user sees
  uint32_t formatIndex = 0;  // the codec's own index within the mode it was listed in
  bool isVbr = false;        // listed with VBR on and one pass

  bool operator==(const WmaFormatEntry&) const = default;
};

// Codec name -> format, ordered by name byte for byte; entries of one codec keep the order in
// which they were listed.
using WmaFormatMap = std::multimap<std::string, WmaFormatEntry>;
