#pragma once
// A graph that reads one Ogg file: the file source, the Ogg splitter and a recording sink on
// each of the splitter's outputs, joined by the real negotiation. The test's thread controls
// the graph; the sinks record what the splitter's threads deliver.

#include <memory>
#include <string>
#include <vector>

#include "filters/OggSplitter.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"

class OggSplitterRig {
 public:
  OggSplitterRig();
  ~OggSplitterRig();
  OggSplitterRig(const OggSplitterRig&) = delete;
  OggSplitterRig& operator=(const OggSplitterRig&) = delete;

  // Source and splitter, then a sink on every output; the first failure.
  HRESULT Open(const std::string& path);
  HRESULT Run() { return m_graph->Run(); }
  HRESULT Pause() { return m_graph->Pause(); }
  HRESULT Stop() { return m_graph->Stop(); }
  // Every sink has had end of stream.
  bool WaitForEnd(int timeoutMs = 20000);
  // Through the graph, as the player seeks.
  HRESULT SeekTo(REFERENCE_TIME start);

  COggSplitter& Splitter() { return *m_splitter; }
  CFilterGraph& Graph() { return *m_graph; }
  size_t SinkCount() const { return m_sinks.size(); }
  CFakeSinkPin& Sink(size_t i) { return m_sinks[i]->HostedPin(); }
  std::string OutputName(size_t i) { return m_splitter->GetPin(static_cast<int>(i) + 1)->Name(); }
  AM_MEDIA_TYPE OutputType(size_t i);

 private:
  std::shared_ptr<CFilterGraph> m_graph;
  std::shared_ptr<COggSplitter> m_splitter;
  std::vector<std::shared_ptr<CFakeSinkFilter>> m_sinks;
};

// Samples that are not Vorbis header packets (times set, first byte even).
std::vector<ReceivedSample> AudioPackets(const std::vector<ReceivedSample>& samples);
