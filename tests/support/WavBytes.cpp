#include "support/WavBytes.h"

#include <cstring>

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<uint8_t> WavBytes(const WavLayout& layout, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  Put(out, 0, 4);
  PutTag(out, "WAVE");
  if (layout.oddChunkFirst) {
    PutTag(out, "junk");
    Put(out, 3, 4);
    out.insert(out.end(), {'a', 'b', 'c', 0});
  }
  const uint16_t blockAlign = static_cast<uint16_t>(layout.channels * layout.bitsPerSample / 8);
  PutTag(out, "fmt ");
  Put(out, layout.extensible ? 40 : 16, 4);
  Put(out, layout.extensible ? 0xFFFE : layout.formatTag, 2);
  Put(out, layout.channels, 2);
  Put(out, layout.rateHz, 4);
  Put(out, layout.rateHz * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, layout.bitsPerSample, 2);
  if (layout.extensible) {
    Put(out, 22, 2);
    Put(out, layout.bitsPerSample, 2);
    Put(out, 0, 4);
    const uint8_t subformat[16] = {
        static_cast<uint8_t>(layout.formatTag), 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    out.insert(out.end(), subformat, subformat + 16);
  }
  PutTag(out, "data");
  Put(out, static_cast<uint32_t>(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2) out.push_back(0);
  if (layout.listChunkAfterData) {
    PutTag(out, "LIST");
    Put(out, 4, 4);
    PutTag(out, "INFO");
  }
  const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
  std::memcpy(out.data() + 4, &riffSize, 4);
  return out;
}

std::vector<uint8_t> PcmBytes(uint16_t bits, const std::vector<int32_t>& values) {
  std::vector<uint8_t> out;
  for (int32_t value : values) {
    if (bits == 8)
      out.push_back(static_cast<uint8_t>(value + 128));
    else
      Put(out, static_cast<uint32_t>(value), bits / 8);
  }
  return out;
}
