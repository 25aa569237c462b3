#include "platform/media/WaveFormatExtensible.h"

#include "platform/media/Guid.h"

namespace {

constexpr size_t kSubFormatOffset = 6;
constexpr size_t kGuidBytes = 16;

void PutGuid(uint8_t* at, const GUID& guid) {
  PutLe32(at, guid.Data1);
  PutLe16(at + 4, guid.Data2);
  PutLe16(at + 6, guid.Data3);
  for (size_t i = 0; i < sizeof guid.Data4; ++i) at[8 + i] = guid.Data4[i];
}

GUID GetGuid(const uint8_t* at) {
  GUID guid;
  guid.Data1 = GetLe32(at);
  guid.Data2 = GetLe16(at + 4);
  guid.Data3 = GetLe16(at + 6);
  for (size_t i = 0; i < sizeof guid.Data4; ++i) guid.Data4[i] = at[8 + i];
  return guid;
}

}  // namespace

std::vector<uint8_t> EncodeExtensibleExtra(uint16_t validBitsPerSample, uint32_t channelMask, uint16_t subFormatTag) {
  std::vector<uint8_t> extra(kWaveFormatExtensibleExtraBytes);
  PutLe16(&extra[0], validBitsPerSample);
  PutLe32(&extra[2], channelMask);
  GUID subFormat = MEDIASUBTYPE_PCM;
  subFormat.Data1 = subFormatTag;
  PutGuid(&extra[kSubFormatOffset], subFormat);
  return extra;
}

std::optional<uint16_t> PlainFormatTag(const WAVEFORMATEX& format, std::span<const uint8_t> extra) {
  if (format.wFormatTag != WAVE_FORMAT_EXTENSIBLE) return format.wFormatTag;
  if (format.cbSize < kWaveFormatExtensibleExtraBytes || extra.size() < kSubFormatOffset + kGuidBytes)
    return std::nullopt;
  GUID subFormat = GetGuid(extra.data() + kSubFormatOffset);
  if (subFormat.Data1 > 0xFFFF) return std::nullopt;
  const auto tag = static_cast<uint16_t>(subFormat.Data1);
  subFormat.Data1 = MEDIASUBTYPE_PCM.Data1;
  if (subFormat != MEDIASUBTYPE_PCM) return std::nullopt;
  return tag;
}
