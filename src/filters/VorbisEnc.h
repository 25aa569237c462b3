#pragma once
// The Vorbis encoder: a transform from PCM or float audio to Vorbis packets, one packet per
// output sample. The first three samples of a run carry the identification, comment and
// codebook headers with times 0 to 0; each audio packet's start time is its granule position
// and its end time the encoder's position, both in 100-ns units.
//
// Input sample start times drive the encoder's timeline: a sample that starts after the
// frames encoded so far gets silence before it, frames that start behind are dropped.
//
// Threads: Receive and EndOfStream run on the upstream streaming thread; StartStreaming and
// StopStreaming on the thread that changes the state. The transform base holds m_csReceive
// around all four, and that lock guards m_analysis, m_framesWritten, m_headersSent, m_ended
// and m_refusal. m_layout and m_rateHz change only with the input connection, while stopped.
// The encoder settings (m_settings) are written through the output pin's stream
// configuration on the application thread under the filter lock (m_csFilter), which
// StartStreaming also runs under.

#include <cstdint>
#include <optional>
#include <string>

#include "filters/VorbisAnalysis.h"
#include "filters/VorbisFormat.h"
#include "filters/VorbisInputLayout.h"
#include "platform/media/TransformFilter.h"

// {889EF574-0656-4B52-9091-072E52BB1B80}
inline constexpr CLSID CLSID_VorbisEnc{0x889EF574, 0x0656, 0x4B52, {0x90, 0x91, 0x07, 0x2E, 0x52, 0xBB, 0x1B, 0x80}};

// Frames handed to the library at a time, and the smallest output buffer. Packets grow with
// the channel count (16 channels of noise at quality 1.0 reach 13 KB), so buffers do too.
constexpr int kVorbisChunkFrames = 16384;
constexpr long kVorbisMinBufferBytes = 16384;
constexpr long kVorbisBufferBytesPerChannel = 4096;

class CVorbisEnc : public CTransformFilter {
 public:
  // Pins "PCM Audio" and "Ogg Vorbis Packets"; *result is E_OUTOFMEMORY when either cannot be
  // created.
  explicit CVorbisEnc(HRESULT* result = nullptr);

  std::unique_ptr<CTransformOutputPin> MakeOutputPin(const std::string& name) override;

  // Wave format with PCM, float or extensible tag whose samples the encoder can read (8-, 16-,
  // 24- or 32-bit integers, 32-bit float); VFW_E_TYPE_NOT_ACCEPTED otherwise.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  // The output must be the Vorbis type; then the input's check.
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  // One type: Vorbis with the input's channels and rate and the encoder settings.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) override;
  // At least one buffer of at least kVorbisMinBufferBytes and kVorbisBufferBytesPerChannel per
  // channel, byte-aligned, whatever the input's.
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override;
  // S_FALSE when the library refuses the output type's settings; the filter then fails every
  // sample with VFW_E_RUNTIME_ERROR and a text naming the settings (SetErrorInfo) instead of
  // producing an empty stream.
  HRESULT StartStreaming() override;
  HRESULT StopStreaming() override;
  HRESULT Receive(IMediaSample* sample) override;
  // Ends the library's input, delivers every remaining packet, then passes end of stream on;
  // a failed delivery is returned, after the end of stream.
  HRESULT EndOfStream() override;

  // Encoder settings (the bitrates and quality of the position-0 output type). Caller holds
  // the filter lock.
  const VORBISFORMAT& Settings() const { return m_settings; }
  void SetSettings(const VORBISFORMAT& settings) { m_settings = settings; }

 private:
  // Hands the library `frames` frames: first `silence` frames of silence, then input frames.
  HRESULT Encode(const uint8_t* input, int64_t frames, int64_t silence);
  // Sends the headers once, then every packet the library has ready.
  HRESULT Drain();
  // Each header in its own sample with times 0 to 0; a header without a buffer is skipped.
  HRESULT DeliverHeaders();
  HRESULT DeliverPacket(const VorbisPacket& packet, REFERENCE_TIME start, REFERENCE_TIME end);
  // Copies the packet into `sample` and delivers it; VFW_E_BUFFER_OVERFLOW when it does not fit.
  HRESULT Send(IMediaSample* sample, const VorbisPacket& packet, REFERENCE_TIME start, REFERENCE_TIME end);
  // 100-ns units to frames at the input rate and back, rounded to nearest.
  int64_t FramesAt(REFERENCE_TIME time) const;
  REFERENCE_TIME TimeOf(int64_t frames) const;

  VORBISFORMAT m_settings;  // channels and rate unused; the input's count
  VorbisAnalysis m_analysis;
  std::optional<VorbisInputLayout> m_layout;  // set with the input type
  uint32_t m_rateHz = 0;
  int64_t m_framesWritten = 0;
  bool m_headersSent = false;
  bool m_ended = false;
  std::string m_refusal;  // why the library refused this run's settings
};
