#include "filters/OggMuxRig.h"

#include "filters/VorbisFormat.h"

OggMuxRig::OggMuxRig()
    : m_mux(std::make_shared<COggMux>()), m_sink(std::make_unique<CSinglePinFilter<CFakeFileSinkPin>>(std::nullopt)) {}

OggMuxRig::~OggMuxRig() {
  Stop();
  for (auto& source : m_sources) source->HostedPin().Disconnect();
  for (int i = 0; i < m_mux->GetPinCount(); ++i) m_mux->GetPin(i)->Disconnect();
  Sink().Disconnect();
}

int OggMuxRig::AddSource(const AM_MEDIA_TYPE& type, long bufferBytes) {
  m_sources.push_back(std::make_unique<Source>(type, ALLOCATOR_PROPERTIES{2, bufferBytes, 1, 0}));
  IPin* input = m_mux->GetPin(m_mux->GetPinCount() - 1);
  if (FAILED(m_sources.back()->HostedPin().Connect(input, nullptr))) return -1;
  return static_cast<int>(m_sources.size()) - 1;
}

HRESULT OggMuxRig::ConnectOutput() { return m_mux->GetPin(0)->Connect(&Sink(), nullptr); }

HRESULT OggMuxRig::Run() {
  HRESULT hr = m_sink->Run(0);
  if (SUCCEEDED(hr)) hr = m_mux->Run(0);
  for (auto& source : m_sources)
    if (SUCCEEDED(hr)) hr = source->Run(0);
  return hr;
}

HRESULT OggMuxRig::Stop() {
  for (auto& source : m_sources) source->Stop();
  const HRESULT hr = m_mux->Stop();
  m_sink->Stop();
  return hr;
}

HRESULT OggMuxRig::Send(int source, std::span<const uint8_t> bytes, REFERENCE_TIME start, REFERENCE_TIME end) {
  return m_sources[source]->HostedPin().Send(bytes, SampleTimes{start, end});
}

HRESULT OggMuxRig::EndOfStream(int source) { return m_sources[source]->HostedPin().DeliverEndOfStream(); }

AM_MEDIA_TYPE VorbisType(int32_t rateHz, uint32_t channels) {
  VORBISFORMAT format;
  format.nChannels = channels;
  format.nSamplesPerSec = rateHz;
  format.fQuality = 0.5f;
  return MakeVorbisMediaType(format);
}

AM_MEDIA_TYPE PcmType(uint32_t rateHz, uint16_t channels, uint16_t bits) {
  return MakeAudioMediaType(MakePcmFormat(rateHz, channels, bits));
}

AM_MEDIA_TYPE TextType() {
  AM_MEDIA_TYPE type;
  type.majortype = MEDIATYPE_Text;
  type.bFixedSizeSamples = false;
  return type;
}

AM_MEDIA_TYPE VideoType(uint32_t fourcc, REFERENCE_TIME avgTimePerFrame, int32_t width, int32_t height, uint16_t bits) {
  AM_MEDIA_TYPE type;
  type.majortype = MEDIATYPE_Video;
  type.subtype = GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  type.formattype = FORMAT_VideoInfo;
  type.format.assign(88, 0);
  PutLe32(&type.format[40], static_cast<uint32_t>(avgTimePerFrame));
  PutLe32(&type.format[44], static_cast<uint32_t>(static_cast<uint64_t>(avgTimePerFrame) >> 32));
  PutLe32(&type.format[48], 40);
  PutLe32(&type.format[52], static_cast<uint32_t>(width));
  PutLe32(&type.format[56], static_cast<uint32_t>(height));
  PutLe16(&type.format[60], 1);
  PutLe16(&type.format[62], bits);
  PutLe32(&type.format[64], fourcc);
  return type;
}
