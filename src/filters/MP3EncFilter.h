#pragma once
// The MP3 encoder: 16-bit PCM in, MPEG-1 Layer III frames out (LAME through CMP3Encoder).
// Its output type carries the 40-byte MPEG format record, so the WAV writer downstream wraps
// the frames in a RIFF/WAVE file from which the final ".mp3" is extracted.
//
// Threads: IMP3AudioEncProperties and the connection hooks run on the application thread;
// Receive, EndOfStream and StartStreaming/StopStreaming as the transform base says, all under
// m_csReceive, which guards m_streamFrames and m_frames; BeginFlush runs on the flushing
// thread without it. The encoder has a lock of its own.

#include <vector>

#include "filters/MP3AudioEncProperties.h"
#include "filters/MP3Encoder.h"
#include "platform/media/TransformFilter.h"

// {BDC91CC1-FA36-4239-90C0-89BECA40BBEB}
inline constexpr CLSID CLSID_MP3EncFilter{0xBDC91CC1, 0xFA36, 0x4239, {0x90, 0xC0, 0x89, 0xBE, 0xCA, 0x40, 0xBB, 0xEB}};

class CMP3EncFilter : public CTransformFilter, public IMP3AudioEncProperties {
 public:
  // Pins "XForm In" and "XForm Out"; the settings start at their defaults.
  // *result is E_OUTOFMEMORY when the pins cannot be made.
  explicit CMP3EncFilter(HRESULT* result = nullptr);

  // Audio with a wave format record of at least 18 bytes, no temporal compression, in a
  // format the encoder takes; E_INVALIDARG otherwise. Changes nothing.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  // VFW_E_INVALIDMEDIATYPE without a wave format record; VFW_E_TYPE_NOT_ACCEPTED when the
  // input rate is a multiple of the output rate setting and the output rate differs from it.
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  // One type: stream / MPEG-1 audio with the MPEG format record, 4096-byte samples.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  // The input's format goes to the encoder; a connected output is offered the new type.
  HRESULT SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) override;
  // 4 buffers of 48000 bytes; fewer or smaller fail the connection with E_INVALIDARG.
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override;
  HRESULT ShortAllocatorResult() const override;
  // Opens LAME; a failure (settings LAME refuses) fails the Pause.
  HRESULT StartStreaming() override;
  // Closes LAME: what it holds can no longer be delivered.
  HRESULT StopStreaming() override;
  // Encodes the sample and delivers the frames, stamped with the span of PCM they encode.
  HRESULT Receive(IMediaSample* sample) override;
  // Delivers the frames LAME still holds, closes it, then passes end of stream on.
  HRESULT EndOfStream() override;
  // Delivers what LAME holds in one buffer if one is free at once, closes it, then flushes.
  HRESULT BeginFlush() override;

  HRESULT GetBitrate(int32_t* kbps) override;
  HRESULT SetBitrate(int32_t kbps) override;
  HRESULT GetVbrEnabled(int32_t* enabled) override;
  HRESULT SetVbrEnabled(int32_t enabled) override;
  HRESULT GetVbrMinBitrate(int32_t* kbps) override;
  HRESULT SetVbrMinBitrate(int32_t kbps) override;
  HRESULT GetVbrMaxBitrate(int32_t* kbps) override;
  HRESULT SetVbrMaxBitrate(int32_t kbps) override;
  HRESULT GetEncodeQuality(int32_t* quality) override;
  HRESULT SetEncodeQuality(int32_t quality) override;
  HRESULT GetVbrQuality(int32_t* quality) override;
  HRESULT SetVbrQuality(int32_t quality) override;
  HRESULT GetInputSampleRate(int32_t* rateHz) override;
  HRESULT GetInputChannels(int32_t* channels) override;
  HRESULT GetOutputSampleRate(int32_t* rateHz) override;
  HRESULT SetOutputSampleRate(int32_t rateHz) override;
  HRESULT GetChannelMode(int32_t* mode) override;
  HRESULT SetChannelMode(int32_t mode) override;
  HRESULT GetCrc(int32_t* on) override;
  HRESULT SetCrc(int32_t on) override;
  HRESULT GetOriginal(int32_t* on) override;
  HRESULT SetOriginal(int32_t on) override;
  HRESULT GetCopyright(int32_t* on) override;
  HRESULT SetCopyright(int32_t on) override;
  HRESULT GetVbrHardMin(int32_t* on) override;
  HRESULT SetVbrHardMin(int32_t on) override;
  HRESULT GetLowpassLimit(int32_t* on) override;
  HRESULT SetLowpassLimit(int32_t on) override;
  HRESULT GetFilterBypass(int32_t* on) override;
  HRESULT SetFilterBypass(int32_t on) override;
  HRESULT GetStrictIso(int32_t* on) override;
  HRESULT SetStrictIso(int32_t on) override;
  HRESULT GetReserved1(int32_t* value) override;
  HRESULT SetReserved1(int32_t value) override;
  HRESULT GetForceMidSide(int32_t* on) override;
  HRESULT SetForceMidSide(int32_t on) override;
  HRESULT GetReserved2(int32_t* value) override;
  HRESULT SetReserved2(int32_t value) override;
  HRESULT GetSettings(void* buffer, uint32_t* sizeBytes) override;
  HRESULT SetSettings(const void* buffer, uint32_t sizeBytes) override;
  HRESULT ResetDefaults() override;
  HRESULT IsInputTypeSet() override;

 private:
  HRESULT GetWord(Mp3EncoderSettings::Word word, int32_t* value);
  HRESULT SetWord(Mp3EncoderSettings::Word word, int32_t value);
  // The output type for the current settings and input format; without an input format it
  // has no format block.
  void MakeOutputType(AM_MEDIA_TYPE* type);
  // After the input format changed: reconnects a connected output directly with the new type
  // when its peer accepts it, else lets the two pins negotiate again.
  HRESULT ReofferOutput();
  // Where the PCM encoded so far ends, in 100-ns units from the stream start.
  REFERENCE_TIME StreamTime() const;

  CMP3Encoder m_encoder;
  WAVEFORMATEX m_streamFormat;    // the input format LAME was opened with
  uint64_t m_streamFrames = 0;    // PCM sample frames encoded since the stream started
  std::vector<uint8_t> m_frames;  // this sample's encoded bytes, reused
};
