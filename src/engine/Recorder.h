#pragma once
// Owns the recording graph: capture source -> infinite tee -> encoder chain -> writer -> the
// temporary file, built for the stored export format, then run, paused and stopped on the
// document's commands. Used on the user-interface thread only; streaming runs inside the
// filters on their own threads.

#include <memory>
#include <string>

#include "platform/media/Graph.h"

class CAudioCaptureFilter;
class SettingsStore;

class Recorder {
 public:
  explicit Recorder(SettingsStore& settings);
  virtual ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // The file the writer writes, and where the graph's events go (none: no notification).
  void SetFile(const std::string& file, HWND window, UINT message);
  void SetExportFormat(int format);
  void SetWmaChoice(int codecIndex, int formatIndex, bool vbr);

  // Builds the chain for the export format; E_FAIL for a format outside 200-203.
  HRESULT Build();
  // Runs the graph and waits up to 5000 ms for it; a failed Run is returned as such.
  HRESULT Run();
  HRESULT Pause();
  // S_FALSE when there is nothing to stop; a failure when a filter could not finish its file.
  HRESULT Stop();
  // Revokes the running-object-table entry and releases the graph; S_OK.
  HRESULT TearDown();

  bool IsBuilt() const { return m_graph != nullptr; }
  // Dropouts of the capture device in the built graph's recording so far; 0 without a graph.
  uint64_t OverrunCount() const;
  // The capture source of the built graph; null without a graph.
  CAudioCaptureFilter* CaptureFilter() const;
  IGraphBuilder* Graph() const { return m_graph.get(); }

 private:
  HRESULT BuildCommonStart(std::shared_ptr<IBaseFilter>* source, std::shared_ptr<IBaseFilter>* tee);
  HRESULT BuildWavChain(IBaseFilter* source, IBaseFilter* tee);
  // Source -> tee -> Vorbis encoder -> Ogg multiplexer -> file writer, with the user's Vorbis
  // settings pushed once the chain stands.
  HRESULT BuildOggChain(IBaseFilter* source, IBaseFilter* tee);
  // Source -> tee -> ASF writer, configured with the profile of the stored WMA choice; the
  // latency setting is applied last.
  HRESULT BuildWmaChain(IBaseFilter* source, IBaseFilter* tee);
  HRESULT AddWavCompressor(IBaseFilter* tee, std::shared_ptr<IBaseFilter>* compressor);
  HRESULT AddMp3Encoder(IBaseFilter* tee, std::shared_ptr<IBaseFilter>* encoder);
  HRESULT AddFileWriter(IBaseFilter* upstream);
  HRESULT AddPreview(IBaseFilter* tee);
  HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name);

  SettingsStore& m_settings;
  std::shared_ptr<IGraphBuilder> m_graph;
  std::shared_ptr<IMediaControl> m_control;
  HWND m_window = nullptr;
  std::string m_outputFile;
  UINT m_message = 0;
  int m_exportFormat = 0;
  int m_wmaCodecIndex = 0;
  int m_wmaFormatIndex = 0;
  bool m_wmaVbr = false;
  uint32_t m_registrationCookie = 0;
};
