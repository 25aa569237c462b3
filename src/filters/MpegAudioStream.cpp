#include "filters/MpegAudioStream.h"

#include <cerrno>
#include <cstring>

namespace {

HRESULT Invalid(const std::string& path, const std::string& problem) {
  SetErrorInfo(path + " is not an MPEG audio file: " + problem);
  return VFW_E_INVALID_FILE_FORMAT;
}

}  // namespace

HRESULT ReadMpegAudioStream(std::FILE* file, const std::string& path, MpegAudioStreamSummary* summary) {
  *summary = MpegAudioStreamSummary{};
  uint64_t offset = 0;
  for (;;) {
    uint8_t bytes[kMpegAudioFrameHeaderBytes];
    const size_t got = std::fread(bytes, 1, sizeof bytes, file);
    if (got < sizeof bytes && std::ferror(file)) {
      SetErrorInfo("Cannot read " + path + ": " + std::strerror(errno));
      return E_FAIL;
    }
    if (got == 0) break;
    const auto header = ParseMpegAudioFrameHeader(std::span<const uint8_t, kMpegAudioFrameHeaderBytes>(bytes));
    if (got < sizeof bytes || !header)
      return Invalid(path, "no MPEG audio frame starts at byte " + std::to_string(offset) + ".");
    if (summary->frames == 0) {
      summary->first = *header;
    } else if (header->version != summary->first.version || header->sampleRateHz != summary->first.sampleRateHz) {
      return Invalid(path, "the sample rate changes at byte " + std::to_string(offset) + ".");
    }
    summary->variableBitrate |= header->bitrateKbps != summary->first.bitrateKbps;
    const size_t frameBytes = header->FrameBytes();
    // Reading the frame's last byte tells whether the file holds all of it.
    uint8_t last;
    if (std::fseek(file, static_cast<long>(frameBytes - sizeof bytes - 1), SEEK_CUR) != 0 ||
        std::fread(&last, 1, 1, file) != 1) {
      if (std::ferror(file)) {
        SetErrorInfo("Cannot read " + path + ": " + std::strerror(errno));
        return E_FAIL;
      }
      return Invalid(path, "the frame at byte " + std::to_string(offset) + " is cut off.");
    }
    ++summary->frames;
    summary->sampleFrames += static_cast<uint64_t>(header->SamplesPerFrame());
    offset += frameBytes;
  }
  if (summary->frames == 0) return Invalid(path, "it holds no audio frames.");
  summary->bytes = offset;
  return S_OK;
}
