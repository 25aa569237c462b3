#pragma once
// The WAV writer: turns a stream of samples in any wave-format type into the bytes of a
// RIFF/WAVE file. Each sample goes downstream with its stream times set to its final byte
// positions in the file (the file writer writes it there); the header, whose sizes are known
// only at the end, is written last, at stop, through the file writer's IStream:
//
//   "RIFF" u32(file length - 8) "WAVE" "fmt " u32(F) <F bytes: the input's format block>
//   "data" u32(D) <D payload bytes>          (little-endian, no pad bytes, no other chunks)
//
// Before the first sample the same header goes out with both sizes 0xFFFFFFFF, which readers
// take for "to the end of the file", so a recording cut off at any moment opens as it is.
//
// A file never grows past the part limit (4 GiB - 1 by default, the most its 32-bit sizes can
// describe; CORVOX_WAV_PART_LIMIT=<bytes> lowers it for tests, read once, 64 KiB at least).
// When the downstream pin offers IFileContinuation, the writer completes the file's header and
// continues in the next numbered part with a header of its own. The seam falls between units
// that decode on their own (MPEG frames, else the format's blocks), so every part plays by
// itself and the parts together are the stream, nothing lost or repeated. Without it, a sample
// that would pass the limit is refused.
//
// Threads: Receive and Transform run on the upstream streaming thread, StartStreaming and
// StopStreaming on the thread that changes the state; the transform base holds m_csReceive
// around all four, and that lock guards m_headerLength and m_dataLength. The next part, and the
// headers before it, are written from Receive on the streaming thread; m_partLimitBytes changes
// only while stopped. The receive lock also guards m_blockAlign and m_frames.

#include <optional>
#include <span>
#include <vector>

#include "filters/MpegFrameWalker.h"
#include "platform/media/FileSink.h"
#include "platform/media/TransformFilter.h"

// {3C78B8E2-6C4D-11D1-ADE2-0000F8754B99}
inline constexpr CLSID CLSID_WavDest{0x3C78B8E2, 0x6C4D, 0x11D1, {0xAD, 0xE2, 0x00, 0x00, 0xF8, 0x75, 0x4B, 0x99}};

class CWavDestFilter : public CTransformFilter {
 public:
  // Pins "In" and "Out"; *result is E_OUTOFMEMORY when either cannot be created.
  explicit CWavDestFilter(HRESULT* result = nullptr);

  // S_OK for any type with a wave format block (PCM or compressed), S_FALSE otherwise.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  // Only the input type matters: its failure, else S_OK.
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  // One type: stream / wave, without a format block.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT StartStreaming() override;
  // Copies the sample and places it after the header and the payload so far. E_FAIL when it
  // would take the file past the part limit.
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override;
  // Moves on to the next part first when the sample does not fit. Counts a sample's bytes only
  // when the downstream accepted it with S_OK, so the next sample takes the position of a
  // refused one.
  HRESULT Receive(IMediaSample* sample) override;
  // Writes the header at offset 0 through the downstream pin's IStream.
  HRESULT StopStreaming() override;
  // The output pin is a CWavDestOutputPin.
  std::unique_ptr<CTransformOutputPin> MakeOutputPin(const std::string& name) override;

  // The most bytes one file may hold, header included (at least 64 KiB). Only while stopped.
  void SetPartLimit(uint32_t bytes);

 protected:
  uint32_t m_headerLength = 0;  // bytes reserved for the header: 28 + the format block's length
  uint32_t m_dataLength = 0;    // payload bytes of the current part the downstream has accepted

 private:
  // Payload bytes the current part can still take.
  uint64_t PartRoom() const;
  // The header with these data bytes at offset 0 of the current file.
  HRESULT WriteHeader(IStream* stream, uint32_t dataBytes);
  // Where in the sample being received, at or after `done`, the current part must end: the
  // last unit boundary within its room; `done` when none is.
  size_t CutPoint(const std::vector<size_t>& frameStarts, size_t done) const;
  // Receive's delivery of one sample with the count rolled back on refusal.
  HRESULT DeliverCounted(IMediaSample* sample);
  HRESULT DeliverPiece(std::span<const uint8_t> piece);
  // Completes the current part's header and continues in a new part with a provisional one.
  HRESULT ContinueInNextPart(IFileContinuation* continuation);

  uint32_t m_partLimitBytes;
  uint16_t m_blockAlign = 1;                // of other formats
  std::optional<MpegFrameWalker> m_frames;  // of MPEG audio
};
