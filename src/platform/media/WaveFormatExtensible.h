#pragma once
// The extensible wave format record: the 18-byte record with tag WAVE_FORMAT_EXTENSIBLE and 22
// extra bytes, little-endian: valid bits per sample (2), channel mask (4), then the sub-format
// GUID (16). Audio sub-formats are the wave-tag family {tag-0000-0010-8000-00AA00389B71}, so
// the GUID's first word carries the plain format tag.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/media/WaveFormat.h"

constexpr size_t kWaveFormatExtensibleExtraBytes = 22;

// The 22 extra bytes for a sub-format of the wave-tag family.
std::vector<uint8_t> EncodeExtensibleExtra(uint16_t validBitsPerSample, uint32_t channelMask, uint16_t subFormatTag);

// The plain format tag of a record: its own tag, or for an extensible record (with the `extra`
// bytes that follow it) the sub-format's. Nothing for an extensible record that is short or
// whose sub-format is outside the wave-tag family.
std::optional<uint16_t> PlainFormatTag(const WAVEFORMATEX& format, std::span<const uint8_t> extra);
