#include "engine/WaveformReader.h"

#include "engine/GraphHelpers.h"
#include "engine/Messages.h"
#include "engine/OggDecoding.h"
#include "engine/OggSignature.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/FileSink.h"
#include "platform/media/RunningObjectTable.h"
#include "platform/ui/MessageBox.h"
#include "waveform/CVTWaveformDump.h"

namespace {

constexpr long kRunWaitMs = 1000;
constexpr long kNoTimeout = -1;

}  // namespace

WaveformReader::~WaveformReader() {
  StopGraph();
  Forget();
}

void WaveformReader::SetFiles(const std::string& sourceFile, const std::string& dumpFile, HWND window) {
  m_sourceFile = sourceFile;
  m_dumpFile = dumpFile;
  m_window = window;
}

HRESULT WaveformReader::Build() {
  Stop();
  Revoke();
  m_dump.reset();
  m_graph.reset();
  m_warned = false;
  ClearErrorInfo();
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, &m_graph);
  if (FAILED(hr)) return hr;
  std::shared_ptr<IBaseFilter> source;
  hr = m_graph->AddSourceFilter(m_sourceFile, "Music Source", &source);
  if (FAILED(hr)) return hr;
  hr = AddDump();
  if (FAILED(hr)) return hr;
  hr = ConnectSource(source.get());
  if (FAILED(hr)) return hr;
  auto* clock = QueryInterface<IMediaFilter>(m_graph.get());
  if (clock == nullptr) return E_NOINTERFACE;
  hr = clock->SetSyncSource(nullptr);
  if (FAILED(hr)) return hr;
  return RegisterGraph(m_graph, &m_registrationCookie);
}

HRESULT WaveformReader::AddDump() {
  HRESULT hr = E_OUTOFMEMORY;
  m_dump = std::make_shared<CVTWaveformDump>(&hr);
  if (FAILED(hr)) return hr;
  hr = m_graph->AddFilter(m_dump, "Vantro Waveform Reader Filter");
  if (FAILED(hr)) return hr;
  auto* sink = QueryInterface<IFileSinkFilter>(m_dump.get());
  if (sink == nullptr) return E_NOINTERFACE;
  return sink->SetFileName(m_dumpFile, nullptr);
}

HRESULT WaveformReader::ConnectSource(IBaseFilter* source) {
  bool ogg = false;
  HRESULT hr = IsOggFile(m_sourceFile, &ogg);
  if (FAILED(hr)) return hr;
  std::shared_ptr<IBaseFilter> upstream;
  if (ogg) {
    hr = AddOggDecoder(m_graph.get(), source, &upstream);
    if (FAILED(hr)) return hr;
  }
  hr = ConnectFilters(m_graph.get(), upstream ? upstream.get() : source, m_dump.get());
  if (FAILED(hr) && GetErrorInfo().empty())
    SetErrorInfo("No decoder turns \"" + m_sourceFile + "\" into audio the waveform can be read from.");
  return hr;
}

HRESULT WaveformReader::Run() {
  HRESULT hr = Build();
  if (FAILED(hr)) return hr;
  auto* control = QueryInterface<IMediaControl>(m_graph.get());
  auto* events = QueryInterface<IMediaEventEx>(m_graph.get());
  if (control == nullptr || events == nullptr) return E_NOINTERFACE;
  events->SetNotifyWindow(m_window, WM_READER_GRAPH_EVENT, reinterpret_cast<LPARAM>(m_graph.get()));
  hr = control->Run();
  if (FAILED(hr)) return hr;
  FILTER_STATE state;
  return control->GetState(kRunWaitMs, &state);
}

bool WaveformReader::Stop() {
  const bool stopped = StopGraph();
  if (m_dump && m_dump->WriteFailed() && !m_warned) {
    m_warned = true;
    MessageBox(nullptr, kDumpDiskFullText, MB_OK | MB_ICONWARNING);
  }
  return stopped;
}

bool WaveformReader::StopGraph() {
  auto* control = QueryInterface<IMediaControl>(m_graph.get());
  auto* events = QueryInterface<IMediaEventEx>(m_graph.get());
  if (control == nullptr || events == nullptr) return false;
  events->SetNotifyWindow(nullptr, 0, 0);
  control->Stop();
  FILTER_STATE state;
  control->GetState(kNoTimeout, &state);
  return true;
}

void WaveformReader::Revoke() {
  if (m_registrationCookie == 0) return;
  IRunningObjectTable* table = nullptr;
  if (SUCCEEDED(GetRunningObjectTable(&table))) table->Revoke(m_registrationCookie);
  m_registrationCookie = 0;
}

void WaveformReader::Release() {
  Stop();
  Forget();
}

void WaveformReader::Forget() {
  Revoke();
  m_sourceFile.clear();
  m_dumpFile.clear();
  m_window = nullptr;
  m_dump.reset();
  m_graph.reset();
}

ReaderOutcome WaveformReader::ReadEvents() { return TakeGraphEvents(m_graph.get()); }
