#pragma once
// The WAV writer: turns a stream of samples in any wave-format type into the bytes of a
// RIFF/WAVE file. Each sample goes downstream with its stream times set to its final byte
// positions in the file (the file writer writes it there); the header, whose sizes are known
// only at the end, is written last, at stop, through the file writer's IStream:
//
//   "RIFF" u32(file length - 8) "WAVE" "fmt " u32(F) <F bytes: the input's format block>
//   "data" u32(D) <D payload bytes>          (little-endian, no pad bytes, no other chunks)
//
// Threads: Receive and Transform run on the upstream streaming thread, StartStreaming and
// StopStreaming on the thread that changes the state; the transform base holds m_csReceive
// around all four, and that lock guards m_headerLength and m_dataLength.

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
  // would take the file past 4 GiB - 1, which the header's 32-bit sizes cannot describe.
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override;
  // Counts a sample's bytes only when the downstream accepted it with S_OK, so the next
  // sample takes the position of a refused one.
  HRESULT Receive(IMediaSample* sample) override;
  // Writes the header at offset 0 through the downstream pin's IStream.
  HRESULT StopStreaming() override;
  // The output pin is a CWavDestOutputPin.
  std::unique_ptr<CTransformOutputPin> MakeOutputPin(const std::string& name) override;

 protected:
  uint32_t m_headerLength = 0;  // bytes reserved for the header: 28 + the format block's length
  uint32_t m_dataLength = 0;    // payload bytes the downstream has accepted
};
