#pragma once
// Owns the waveform reader graph: the file's source -> the decoders the graph finds (Ogg: the
// system's own splitter and decoder) -> the waveform sink, which writes the dump file. The
// graph runs without a clock, so the file is read as fast as it decodes. One per document,
// reused for every load. Used on the user-interface thread only; the graph's events reach the
// notify window as WM_READER_GRAPH_EVENT with the graph as lParam.

#include <memory>
#include <string>

#include "engine/GraphHelpers.h"
#include "platform/media/Graph.h"

class CVTWaveformDump;

// Completed: the whole file is in the dump file.
using ReaderOutcome = GraphOutcome;

class WaveformReader {
 public:
  WaveformReader() = default;
  ~WaveformReader();
  WaveformReader(const WaveformReader&) = delete;
  WaveformReader& operator=(const WaveformReader&) = delete;

  // The file to read, the dump file to write and where the graph's events go.
  void SetFiles(const std::string& sourceFile, const std::string& dumpFile, HWND window);
  // Makes and wires a new graph, releasing an earlier one; the first failing step's code, with
  // its reason in GetErrorInfo.
  HRESULT Build();
  // Build, then run with the events going to the window; the wait for the running state (up to
  // 1000 ms). E_NOINTERFACE when the graph lacks control or events.
  HRESULT Run();
  // Silences the events, stops the graph (which closes the dump file) and waits for it; false
  // when there is no graph with control and events. A sink that stopped itself on a full disk
  // shows its warning box here, once.
  bool Stop();
  // Stop, then withdraws the graph from the running object table and forgets files, window
  // and graph.
  void Release();

  // Takes the graph's queued events without waiting, on WM_READER_GRAPH_EVENT.
  ReaderOutcome ReadEvents();

 private:
  HRESULT AddDump();
  HRESULT ConnectSource(IBaseFilter* source);
  bool StopGraph();
  void Revoke();
  void Forget();

  std::string m_sourceFile;
  std::string m_dumpFile;
  HWND m_window = nullptr;
  std::shared_ptr<IGraphBuilder> m_graph;
  std::shared_ptr<CVTWaveformDump> m_dump;
  uint32_t m_registrationCookie = 0;
  bool m_warned = false;  // the dump's disk-full warning was shown for this graph
};
