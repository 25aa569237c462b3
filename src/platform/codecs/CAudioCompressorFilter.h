#pragma once
// An audio compressor of the category (the WAV page's "WAV Compressor"): a transform filter
// that turns 8- or 16-bit PCM into one standard WAV format with an FFmpeg encoder. The output
// type's format block is the wave format record the WAV file needs, so the WAV writer puts it
// in its "fmt " chunk as it is.
//
// Streaming: each input sample is encoded as it arrives; the packets of one input sample go
// downstream gathered into as few output samples as fit, each a sync point whose times are the
// stream position of its audio in 100-ns units (counted from the first sample since Pause).
// End of stream encodes what is left (the last block padded with silence), drains the encoder
// and then passes end of stream on. The encoder is opened at Stopped -> Paused and freed at
// Stop.
//
// Threads: connection calls run on the control thread under the filter lock. Receive and
// EndOfStream run on the upstream streaming thread, StartStreaming and StopStreaming on the
// control thread, all four with m_csReceive held (see CTransformFilter); m_csReceive guards
// m_encoder.

#include <memory>

#include "platform/codecs/AudioCompressorDescription.h"
#include "platform/codecs/FfmpegAudioEncoder.h"
#include "platform/media/TransformFilter.h"

// The platform's class id for its audio compressors, shared by every one of them.
// {6A08CF80-0E18-11CF-A24D-0020AFD79767}
inline constexpr CLSID CLSID_ACMWrapper{0x6A08CF80, 0x0E18, 0x11CF, {0xA2, 0x4D, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};

class CAudioCompressorFilter : public CTransformFilter {
 public:
  static HRESULT Create(const AudioCompressorDescription& description, std::shared_ptr<IBaseFilter>* filter);

  // Pins "Input" and "Output"; *result is E_OUTOFMEMORY when either cannot be created.
  CAudioCompressorFilter(const AudioCompressorDescription& description, HRESULT* result);

  // S_OK for integer PCM of 8 or 16 bits whose rate and channels the compressor takes;
  // S_FALSE otherwise.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  // S_OK when `output` is exactly the type this filter makes from `input`.
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  // One type: the compressed format for the connected input.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  // Buffers that hold the encoded data of one input buffer, with a frame to spare.
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override;
  HRESULT StartStreaming() override;
  HRESULT StopStreaming() override;
  HRESULT Receive(IMediaSample* sample) override;
  // A failure to finish is sent as EC_ERRORABORT; end of stream goes downstream either way, so
  // the WAV writer still completes its file.
  HRESULT EndOfStream() override;

  const AudioCompressorDescription& Description() const { return m_description; }

 private:
  // For an input type this filter accepts.
  HRESULT OpenEncoder(const AM_MEDIA_TYPE& input, std::unique_ptr<FfmpegAudioEncoder>* encoder) const;

  const AudioCompressorDescription& m_description;
  const FfmpegAudioEncoder::PacketSink m_sink;
  std::unique_ptr<FfmpegAudioEncoder> m_encoder;
};
