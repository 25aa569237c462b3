#pragma once
// Owns the playback graph of one file: its source, the decoders the graph finds (Ogg: the
// system's own splitter and decoder), the audio renderer. Plays the whole file or a range of
// it at a volume. The player counts as open while it holds a graph. Used on the
// user-interface thread only; the graph's events reach the notify window as the given message
// with the graph as lParam.

#include <memory>
#include <string>

#include "engine/GraphHelpers.h"
#include "platform/media/BasicAudio.h"
#include "platform/media/Graph.h"
#include "platform/media/Seeking.h"

class AudioPlayer {
 public:
  AudioPlayer() = default;
  ~AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  // Builds the graph for `file` with no range set and applies the stored volume; the first
  // failing step's code, with what was built kept until TearDown.
  HRESULT Open(const std::string& file, HWND window, UINT message);
  // Stores the range in seconds and applies it.
  HRESULT SetRange(float startSeconds, float stopSeconds);
  // S_FALSE (1) without a range, 0 without seeking, else the seek's result.
  HRESULT ApplyRange();
  // Stores the volume (0 or below) and applies it; S_FALSE without a graph that has one.
  HRESULT SetVolume(int decibels);
  // Runs the graph, waits up to 50 ms for it and posts WM_PLAY_PROGRESS (wParam: the graph)
  // to the notify window; the wait's result.
  HRESULT Play();
  HRESULT Pause();
  // Stops and seeks back to the range's start.
  HRESULT StopAndRewind();
  // Stops, rewinds and releases the graph; S_OK.
  HRESULT TearDown();

  bool IsOpen() const { return m_graph != nullptr; }
  IGraphBuilder* Graph() const { return m_graph.get(); }
  // The graph's seeking, for the position while playing; null when closed.
  IMediaSeeking* Seeking() const { return m_seeking.get(); }
  int Volume() const { return m_volumeDecibels; }

  // Takes the graph's queued events without waiting, on the notify message. Completed: the
  // range was played to its end.
  GraphOutcome ReadEvents();

 private:
  HRESULT BuildGraph();
  HRESULT RenderOgg();

  std::shared_ptr<IGraphBuilder> m_graph;
  std::shared_ptr<IMediaControl> m_control;
  std::shared_ptr<IMediaSeeking> m_seeking;
  std::shared_ptr<IBasicAudio> m_audio;
  HWND m_window = nullptr;
  std::string m_file;
  float m_rangeStart = 0;
  float m_rangeStop = -1.0f;  // below 0: no range
  UINT m_message = 0;
  int m_volumeDecibels = 0;
};
