#pragma once
// The header of a RIFF/WAVE file as this system writes it: a "fmt " chunk holding the format
// block as given, then the "data" chunk's tag and size; the payload follows it.
//
//   "RIFF" u32(riff size) "WAVE" "fmt " u32(F) <F bytes> "data" u32(D)   (little-endian)
//
// No pad byte follows the format chunk, even for an odd F.

#include <cstdint>
#include <span>
#include <vector>

// Whether a pad byte follows odd-sized data, as RIFF readers expect of a complete file; it
// counts in the RIFF size but not in the data chunk's.
enum class WaveDataPad { None, ToEvenLength };

// Header bytes besides the format block.
constexpr uint32_t kWaveHeaderBytesBesideFormat = 28;

// 28 + formatBlock.size() bytes. The RIFF size is the file length minus 8 (with the pad byte
// when asked for), held at 0xFFFFFFFF when larger.
std::vector<uint8_t> MakeWaveFileHeader(std::span<const uint8_t> formatBlock, uint32_t dataBytes,
                                        WaveDataPad pad = WaveDataPad::None);
