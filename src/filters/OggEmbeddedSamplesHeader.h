#pragma once
// The older stream header of Ogg files that carried the platform's media samples: a type-1
// packet with the text "Direct Show Samples embedded in Ogg", the buffer size and a whole media
// type record with its format block. Only video-info and wave-format types are understood;
// they become the same header the multiplexer writes today. Self-contained; any thread.
//
//    0   1  packet type (low three bits 1)
//    1  35  the identifying text
//   40   4  buffer size
//   52  72  media type record: major type, subtype at 68, ..., format type at 96, ...
//  124   n  format block

#include <optional>
#include <span>

#include "filters/OggGenericStream.h"

// Nothing when the packet is not of this kind, is cut short, or describes another format.
std::optional<OggStreamHeader> ParseEmbeddedSamplesHeader(std::span<const uint8_t> packet);
