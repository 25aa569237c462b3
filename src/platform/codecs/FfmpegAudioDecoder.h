#pragma once
// Decodes the first audio stream of a file that FFmpeg can read into interleaved 16-bit PCM at
// the stream's rate and channel count (8-bit PCM stays 8-bit, as its readers expect), reading
// through a pull reader. Positions count sample frames from the start of the stream; reads
// after a seek begin exactly at the frame asked for.
// Ogg is refused: the system's own splitter and decoder read it.
//
// One thread at a time (the decoder filter's streaming thread, or its control thread while
// that thread is stopped). The buffers are reused, so steady decoding does not allocate.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/codecs/FfmpegReaderIo.h"
#include "platform/media/WaveFormat.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

class FfmpegAudioDecoder {
 public:
  // Fails with a readable text (SetErrorInfo) for an empty file, a file of no type FFmpeg
  // knows (VFW_E_UNKNOWN_FILE_TYPE), an Ogg file or one without decodable audio
  // (VFW_E_UNSUPPORTED_STREAM), or the reader's failure.
  static HRESULT Open(IAsyncReader* reader, std::unique_ptr<FfmpegAudioDecoder>* decoder);
  ~FfmpegAudioDecoder();
  FfmpegAudioDecoder(const FfmpegAudioDecoder&) = delete;
  FfmpegAudioDecoder& operator=(const FfmpegAudioDecoder&) = delete;

  const WAVEFORMATEX& Format() const { return m_format; }
  // The stream's length in frames as the file states it (an estimate for some formats); 0
  // when unknown.
  uint64_t DurationFrames() const { return m_durationFrames; }

  // The next Read starts at `frame`.
  HRESULT Seek(uint64_t frame);
  // Fills `buffer` with up to `frames` frames: S_OK with *got > 0, S_FALSE with *got == 0 at
  // the end of the stream, or a failure with its text.
  HRESULT Read(uint8_t* buffer, size_t frames, size_t* got);

 private:
  FfmpegAudioDecoder() = default;
  HRESULT OpenInput(IAsyncReader* reader);
  HRESULT OpenCodec();
  // Decodes until a frame with audio at or after the seek target is pending; S_FALSE at the end.
  HRESULT DecodeMore();
  // S_OK when the decoded frame left audio to hand out, S_FALSE when it lay before the target.
  HRESULT TakeFrame();
  HRESULT Convert(size_t* frames);

  std::unique_ptr<FfmpegReaderIo> m_io;
  AVFormatContext* m_formatContext = nullptr;
  AVCodecContext* m_codec = nullptr;
  AVPacket* m_packet = nullptr;
  AVFrame* m_frame = nullptr;
  SwrContext* m_resampler = nullptr;
  int m_resamplerFormat = -1;  // the input sample format m_resampler was set up for
  int m_resamplerRate = 0;
  int m_resamplerChannels = 0;
  int m_stream = -1;
  WAVEFORMATEX m_format;
  int m_outputFormat = -1;  // the AVSampleFormat of m_format
  uint64_t m_durationFrames = 0;

  uint64_t m_target = 0;         // first frame wanted since the last seek
  uint64_t m_decoded = 0;        // position after the last decoded frame
  bool m_positionKnown = false;  // m_decoded holds since the last seek
  bool m_inputEnded = false;     // the decoder was told the input ended
  bool m_packetPending = false;  // m_packet waits for the decoder to take it
  std::vector<uint8_t> m_pcm;    // the last decoded frame as 16-bit PCM
  size_t m_pendingOffset = 0;    // frames of m_pcm handed out or skipped
  size_t m_pendingFrames = 0;    // frames of m_pcm still to hand out
};
