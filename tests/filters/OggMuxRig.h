#pragma once
// An Ogg multiplexer between fake sources, one per input, and an in-memory file sink, joined by
// the real negotiation. Each source's Send runs on the calling thread, which acts as that
// stream's upstream streaming thread; several threads may send to different sources at once.

#include <memory>
#include <span>
#include <vector>

#include "filters/OggMux.h"
#include "support/FakeFileSinkPin.h"
#include "support/FakeSourcePin.h"
#include "support/SinglePinFilter.h"

class OggMuxRig {
 public:
  OggMuxRig();
  ~OggMuxRig();
  OggMuxRig(const OggMuxRig&) = delete;
  OggMuxRig& operator=(const OggMuxRig&) = delete;

  // Connects a new source of `type` to the multiplexer's free input; its index, or -1.
  int AddSource(const AM_MEDIA_TYPE& type, long bufferBytes = 16384);
  HRESULT ConnectOutput();
  // Downstream first, as a graph does.
  HRESULT Run();
  // Sources first.
  HRESULT Stop();

  HRESULT Send(int source, std::span<const uint8_t> bytes, REFERENCE_TIME start, REFERENCE_TIME end);
  HRESULT EndOfStream(int source);

  COggMux& Mux() { return *m_mux; }
  CFakeFileSinkPin& Sink() { return m_sink->HostedPin(); }
  std::vector<uint8_t> FileBytes() const { return m_sink->HostedPin().FileBytes(); }

 private:
  using Source = CSinglePinFilter<CFakeSourcePin>;

  std::shared_ptr<COggMux> m_mux;
  std::vector<std::unique_ptr<Source>> m_sources;
  std::unique_ptr<CSinglePinFilter<CFakeFileSinkPin>> m_sink;
};

// Media types the multiplexer takes.
AM_MEDIA_TYPE VorbisType(int32_t rateHz, uint32_t channels = 2);
AM_MEDIA_TYPE PcmType(uint32_t rateHz, uint16_t channels, uint16_t bits);
AM_MEDIA_TYPE TextType();
// Video-info type with a four-character-code subtype.
AM_MEDIA_TYPE VideoType(uint32_t fourcc, REFERENCE_TIME avgTimePerFrame, int32_t width, int32_t height, uint16_t bits);
