#pragma once
// One FFmpeg audio encoder fed with interleaved integer PCM: 8-bit unsigned or 16-bit signed,
// at a fixed rate and channel count. Input is gathered into frames of FrameLength() sample
// frames; each full frame is encoded at once and its packets go to the caller's sink with their
// place in the stream, counted in sample frames from the first input. Finish() encodes what is
// left (FFmpeg pads the last frame of a block codec with silence to a whole block, as WAV
// requires of ADPCM and GSM) and drains the encoder; the encoder takes no input after that.
//
// Threads: one thread at a time (the compressor filter's streaming thread, under its receive
// lock, or the control thread for a short-lived probe).

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/media/HResult.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

struct FfmpegDeleter {
  void operator()(AVCodecContext* context) const;
  void operator()(AVFrame* frame) const;
  void operator()(AVPacket* packet) const;
};

class FfmpegAudioEncoder {
 public:
  // One encoded packet, starting at sample frame `firstFrame` and covering `frames` of them.
  // A result other than S_OK stops the encoding of the current input after this frame.
  using PacketSink = std::function<HRESULT(std::span<const uint8_t> packet, int64_t firstFrame, int64_t frames)>;

  // Opens the FFmpeg encoder named `encoderName` (e.g. "adpcm_ima_wav"). A missing encoder or
  // one that refuses the format fails with a readable text through SetErrorInfo.
  static HRESULT Open(const char* encoderName, uint32_t rateHz, uint16_t channels, uint16_t inputBitsPerSample,
                      std::unique_ptr<FfmpegAudioEncoder>* encoder);

  uint32_t RateHz() const { return m_rateHz; }
  uint16_t Channels() const { return m_channels; }
  // Sample frames per encoder frame.
  int FrameLength() const { return m_frameLength; }
  // Sample frames per block of the encoded stream: the encoder's frame for block codecs, 1 for
  // sample-by-sample codecs such as G.711.
  int SamplesPerBlock() const;
  uint16_t BlockAlign() const;
  // Encoded bytes of one full encoder frame.
  long EncodedFrameBytes() const;
  uint16_t BitsPerCodedSample() const;
  // What the encoder says its stream needs to be decoded (e.g. MS ADPCM's coefficients).
  std::span<const uint8_t> Extradata() const;

  // Any number of bytes; an incomplete sample frame at the end waits for the next call.
  HRESULT Write(std::span<const uint8_t> pcm, const PacketSink& sink);
  HRESULT Finish(const PacketSink& sink);

 private:
  FfmpegAudioEncoder() = default;

  // `frames` whole input frames.
  HRESULT Append(const uint8_t* pcm, int64_t frames, const PacketSink& sink);
  void Convert(const uint8_t* pcm, int frames);
  HRESULT EncodeFrame(const PacketSink& sink);
  HRESULT Drain(const PacketSink& sink);

  std::unique_ptr<AVCodecContext, FfmpegDeleter> m_context;
  std::unique_ptr<AVFrame, FfmpegDeleter> m_frame;
  std::unique_ptr<AVPacket, FfmpegDeleter> m_packet;
  std::string m_name;
  uint32_t m_rateHz = 0;
  uint16_t m_channels = 0;
  uint16_t m_inputBytesPerSample = 2;
  bool m_planar = false;
  bool m_blockCodec = false;  // one encoder frame makes one block of the stream
  int m_frameLength = 0;
  int m_filled = 0;                // sample frames in m_frame so far
  int64_t m_nextFrame = 0;         // stream position of m_frame's first sample frame
  std::vector<uint8_t> m_partial;  // bytes of an incomplete input sample frame
  size_t m_partialBytes = 0;
  bool m_finished = false;
};
