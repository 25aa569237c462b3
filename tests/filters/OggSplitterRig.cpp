#include "filters/OggSplitterRig.h"

OggSplitterRig::OggSplitterRig()
    : m_graph(std::make_shared<CFilterGraph>()), m_splitter(std::make_shared<COggSplitter>()) {}

OggSplitterRig::~OggSplitterRig() { m_graph->Stop(); }

HRESULT OggSplitterRig::Open(const std::string& path) {
  std::shared_ptr<IBaseFilter> source;
  HRESULT hr = m_graph->AddSourceFilter(path, "Source", &source);
  if (FAILED(hr)) return hr;
  hr = m_graph->AddFilter(m_splitter, "Splitter");
  if (FAILED(hr)) return hr;
  IPin* output = nullptr;
  source->FindPin("Output", &output);
  hr = m_graph->ConnectDirect(output, m_splitter->GetPin(0), nullptr);
  if (FAILED(hr)) return hr;
  for (int i = 1; i < m_splitter->GetPinCount(); ++i) {
    m_sinks.push_back(std::make_shared<CFakeSinkFilter>());
    hr = m_graph->AddFilter(m_sinks.back(), "Sink " + std::to_string(i));
    if (SUCCEEDED(hr)) hr = m_graph->ConnectDirect(m_splitter->GetPin(i), &m_sinks.back()->HostedPin(), nullptr);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool OggSplitterRig::WaitForEnd(int timeoutMs) {
  for (auto& sink : m_sinks)
    if (!sink->HostedPin().WaitForEndOfStream(timeoutMs)) return false;
  return true;
}

HRESULT OggSplitterRig::SeekTo(REFERENCE_TIME start) {
  return m_graph->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

AM_MEDIA_TYPE OggSplitterRig::OutputType(size_t i) {
  AM_MEDIA_TYPE type;
  m_splitter->GetPin(static_cast<int>(i) + 1)->ConnectionMediaType(&type);
  return type;
}

std::vector<ReceivedSample> AudioPackets(const std::vector<ReceivedSample>& samples) {
  std::vector<ReceivedSample> audio;
  for (const ReceivedSample& sample : samples)
    if (!sample.bytes.empty() && (sample.bytes[0] & 1) == 0) audio.push_back(sample);
  return audio;
}
