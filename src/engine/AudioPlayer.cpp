#include "engine/AudioPlayer.h"

#include "engine/Messages.h"
#include "engine/OggDecoding.h"
#include "engine/OggSignature.h"

namespace {

constexpr long kPlayWaitMs = 50;

// Seconds to 100-ns units, truncated toward zero.
REFERENCE_TIME ToReferenceTime(float seconds) {
  return static_cast<REFERENCE_TIME>(static_cast<double>(seconds) * 10000000.0);
}

}  // namespace

AudioPlayer::~AudioPlayer() { TearDown(); }

HRESULT AudioPlayer::Open(const std::string& file, HWND window, UINT message) {
  TearDown();
  m_file = file;
  m_window = window;
  m_message = message;
  m_rangeStart = 0;
  m_rangeStop = -1.0f;
  const HRESULT hr = BuildGraph();
  if (FAILED(hr)) return hr;
  SetVolume(m_volumeDecibels);
  return ApplyRange();
}

HRESULT AudioPlayer::BuildGraph() {
  HRESULT hr = CreateNotifyingGraph(m_window, m_message, &m_graph, &m_control);
  if (FAILED(hr)) return hr;
  m_seeking = QueryInterface<IMediaSeeking>(m_graph);
  if (!m_seeking) return E_NOINTERFACE;
  m_audio = QueryInterface<IBasicAudio>(m_graph);
  if (!m_audio) return E_NOINTERFACE;

  bool ogg = false;
  hr = IsOggFile(m_file, &ogg);
  if (FAILED(hr)) return hr;
  return ogg ? RenderOgg() : m_graph->RenderFile(m_file);
}

HRESULT AudioPlayer::RenderOgg() {
  std::shared_ptr<IBaseFilter> source, decoder;
  HRESULT hr = m_graph->AddSourceFilter(m_file, "Source", &source);
  if (FAILED(hr)) return hr;
  hr = AddOggDecoder(m_graph.get(), source.get(), &decoder);
  if (FAILED(hr)) return hr;
  IPin* output = nullptr;
  hr = FindPin(decoder.get(), PINDIR_OUTPUT, &output);
  if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
  return m_graph->Render(output);
}

HRESULT AudioPlayer::SetRange(float startSeconds, float stopSeconds) {
  m_rangeStart = startSeconds;
  m_rangeStop = stopSeconds;
  return ApplyRange();
}

HRESULT AudioPlayer::ApplyRange() {
  if (m_rangeStop < 0) return S_FALSE;
  if (!m_seeking) return S_OK;
  REFERENCE_TIME start = ToReferenceTime(m_rangeStart);
  REFERENCE_TIME stop = ToReferenceTime(m_rangeStop);
  return m_seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning);
}

HRESULT AudioPlayer::SetVolume(int decibels) {
  m_volumeDecibels = decibels;
  if (!m_audio) return S_FALSE;
  return m_audio->put_Volume(static_cast<long>(decibels) * 100);
}

HRESULT AudioPlayer::Play() {
  if (!m_control) return E_UNEXPECTED;
  HRESULT hr = m_control->Run();
  if (FAILED(hr)) return hr;
  FILTER_STATE state;
  hr = m_control->GetState(kPlayWaitMs, &state);
  PostMessage(m_window, WM_PLAY_PROGRESS, reinterpret_cast<WPARAM>(m_graph.get()), 0);
  return hr;
}

HRESULT AudioPlayer::Pause() { return m_control ? m_control->Pause() : E_UNEXPECTED; }

HRESULT AudioPlayer::StopAndRewind() {
  if (!m_control) return E_UNEXPECTED;
  const HRESULT hr = m_control->Stop();
  if (FAILED(hr)) return hr;
  m_seeking = QueryInterface<IMediaSeeking>(m_graph);
  if (!m_seeking) return E_FAIL;
  return ApplyRange();
}

HRESULT AudioPlayer::TearDown() {
  if (IsOpen()) StopAndRewind();
  m_audio.reset();
  m_seeking.reset();
  m_control.reset();
  m_graph.reset();
  return S_OK;
}

GraphOutcome AudioPlayer::ReadEvents() { return TakeGraphEvents(m_graph.get()); }
