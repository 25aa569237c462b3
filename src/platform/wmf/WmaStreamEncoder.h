#pragma once
// Encodes interleaved PCM (8-bit unsigned, 16- or 32-bit signed, or 32-bit float, at any rate
// and channel count) into one WMA format: the audio is converted to the format's rate and
// channels, gathered into the encoder's frames and encoded; each packet goes to the caller's
// sink with its place in the stream, counted in samples of the format's rate from the first
// input. The stream starts with one block of silence, which the decoder takes to prime itself
// and does not give out. Finish() encodes what is left, the last frame padded with silence to
// a whole block, and drains the encoder; it takes no input after that. Decoded, the stream is
// the input, in place, followed by less than one block of silence.
//
// Threads: one thread at a time (the ASF writer's streaming thread, or the control thread at
// stop, under the writer's receive lock).

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/codecs/FfmpegAudioEncoder.h"
#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

struct AVAudioFifo;
struct SwrContext;

class WmaStreamEncoder {
 public:
  using PacketSink = std::function<HRESULT(AVPacket* packet)>;

  // `encoderName` is FFmpeg's ("wmav2").
  // Whether Open takes this input: the sample formats above, 1 to 8 channels.
  static bool Accepts(const WAVEFORMATEX& input);
  static HRESULT Open(const char* encoderName, uint32_t bitsPerSecond, uint32_t rateHz, uint16_t channels,
                      const WAVEFORMATEX& input, std::unique_ptr<WmaStreamEncoder>* encoder);
  ~WmaStreamEncoder();

  const AVCodecContext* Context() const { return m_context.get(); }

  // Any number of bytes; an incomplete input sample frame waits for the next call.
  HRESULT Write(std::span<const uint8_t> pcm, const PacketSink& sink);
  HRESULT Finish(const PacketSink& sink);

 private:
  WmaStreamEncoder() = default;

  HRESULT Convert(const uint8_t* pcm, int frames);
  // Encodes whole frames from the FIFO, after a silent first one; with `last`, also a final
  // short one.
  HRESULT EncodeQueued(bool last, const PacketSink& sink);
  // One frame from the FIFO (or none), completed with silence.
  HRESULT EncodeFrame(bool fromQueue, const PacketSink& sink);
  HRESULT Drain(const PacketSink& sink);

  std::unique_ptr<AVCodecContext, FfmpegDeleter> m_context;
  std::unique_ptr<AVFrame, FfmpegDeleter> m_frame;
  std::unique_ptr<AVPacket, FfmpegDeleter> m_packet;
  SwrContext* m_resampler = nullptr;
  AVAudioFifo* m_fifo = nullptr;
  std::vector<uint8_t*> m_converted;  // plane pointers of the conversion buffer
  int m_convertedCapacity = 0;        // its room in samples per channel
  size_t m_inputFrameBytes = 0;
  std::vector<uint8_t> m_partial;  // bytes of an incomplete input sample frame
  int64_t m_nextPts = 0;
  bool m_finished = false;
};
