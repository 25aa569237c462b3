#pragma once
// The MP3 encoder's settings record: 20 signed 32-bit words, 80 bytes little-endian, exchanged
// whole through IMP3AudioEncProperties. Words 7 and 17 are reserved and never read; 18 and 19
// are kept for callers but do not change the encoding.

#include <array>
#include <cstddef>
#include <cstdint>

struct Mp3EncoderSettings {
  enum Word : size_t {
    kOutputSampleRateHz = 0,
    kBitrateKbps = 1,
    kVbrMode = 2,  // 0 off, kVbrOn on
    kVbrMinBitrateKbps = 3,
    kVbrMaxBitrateKbps = 4,
    kEncodeQuality = 5,  // LAME's algorithm quality, 0 best to 9 fastest
    kVbrQuality = 6,
    kChannelMode = 8,  // kChannelModeStereo ... kChannelModeMono
    kForceMidSide = 9,
    kCrc = 10,
    kCopyright = 11,
    kOriginal = 12,
    kVbrHardMin = 13,
    kLowpassLimit = 14,  // low-pass at 12 kHz and VBR maximum 160 kbit/s
    kFilterBypass = 15,  // no low-pass, high-pass at 1 Hz
    kStrictIso = 16,
    kReserved1 = 18,
    kReserved2 = 19,
  };

  static constexpr size_t kWords = 20;
  static constexpr size_t kSizeBytes = kWords * 4;
  static constexpr int32_t kVbrOn = 2;
  static constexpr int32_t kChannelModeStereo = 0;
  static constexpr int32_t kChannelModeJointStereo = 1;
  static constexpr int32_t kChannelModeDualChannel = 2;
  static constexpr int32_t kChannelModeMono = 3;

  std::array<int32_t, kWords> words{};

  int32_t operator[](Word word) const { return words[word]; }
  int32_t& operator[](Word word) { return words[word]; }

  void ToBytes(uint8_t* bytes) const;  // kSizeBytes bytes
  static Mp3EncoderSettings FromBytes(const uint8_t* bytes);

  friend bool operator==(const Mp3EncoderSettings&, const Mp3EncoderSettings&) = default;
};
