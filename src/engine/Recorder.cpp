#include "engine/Recorder.h"

#include "engine/CaptureSource.h"
#include "engine/FilterCategoryEnumerator.h"
#include "engine/GraphHelpers.h"
#include "engine/Mp3SettingsPush.h"
#include "engine/VorbisSettingsPush.h"
#include "filters/MP3EncFilter.h"
#include "filters/OggMux.h"
#include "filters/VorbisEnc.h"
#include "filters/WavDestFilter.h"
#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/FileSink.h"
#include "platform/media/RunningObjectTable.h"
#include "platform/wmf/ConfigAsfWriter.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"
#include "wma/WmaRecordingProfile.h"

namespace {

constexpr long kStateChangeTimeoutMs = 5000;
constexpr uint32_t kPreviewPossible = 1;
constexpr uint32_t kPreviewWanted = 2;

}  // namespace

Recorder::Recorder(SettingsStore& settings) : m_settings(settings) {}

Recorder::~Recorder() { TearDown(); }

void Recorder::SetFile(const std::string& file, HWND window, UINT message) {
  m_outputFile = file;
  m_window = window;
  m_message = message;
}

void Recorder::SetExportFormat(int format) { m_exportFormat = format; }

void Recorder::SetWmaChoice(int codecIndex, int formatIndex, bool vbr) {
  m_wmaCodecIndex = codecIndex;
  m_wmaFormatIndex = formatIndex;
  m_wmaVbr = vbr;
}

HRESULT Recorder::Build() {
  TearDown();
  if (!IsExportFormat(m_exportFormat)) {
    SetErrorInfo("Unknown export format " + std::to_string(m_exportFormat) + ".");
    return E_FAIL;
  }
  std::shared_ptr<IBaseFilter> source, tee;
  HRESULT hr = BuildCommonStart(&source, &tee);
  if (FAILED(hr)) return hr;
  switch (m_exportFormat) {
    case kFormatMp3:
    case kFormatWav:
      hr = BuildWavChain(source.get(), tee.get());
      break;
    case kFormatOgg:
      hr = BuildOggChain(source.get(), tee.get());
      break;
    default:
      hr = BuildWmaChain(source.get(), tee.get());
      break;
  }
  if (FAILED(hr)) return hr;

  auto mediaFilter = QueryInterface<IMediaFilter>(m_graph.get());
  if (mediaFilter == nullptr) return E_NOINTERFACE;
  hr = mediaFilter->SetSyncSource(nullptr);
  if (FAILED(hr)) return hr;
  return hr | RegisterGraph(m_graph, &m_registrationCookie);
}

HRESULT Recorder::BuildCommonStart(std::shared_ptr<IBaseFilter>* source, std::shared_ptr<IBaseFilter>* tee) {
  HRESULT hr = CreateNotifyingGraph(m_window, m_message, &m_graph, &m_control);
  if (FAILED(hr)) return hr;

  hr = AddCaptureSource(m_graph.get(), m_settings, m_exportFormat, source);
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(CLSID_InfTee, tee);
  if (FAILED(hr)) return hr;
  return AddFilter(*tee, "Tee");
}

HRESULT Recorder::BuildWavChain(IBaseFilter* source, IBaseFilter* tee) {
  HRESULT hr = ConnectFilters(m_graph.get(), source, tee);
  if (FAILED(hr)) return hr;
  std::shared_ptr<IBaseFilter> compressor;
  hr = m_exportFormat == kFormatMp3 ? AddMp3Encoder(tee, &compressor) : AddWavCompressor(tee, &compressor);
  if (FAILED(hr)) return hr;

  std::shared_ptr<IBaseFilter> writer = std::make_shared<CWavDestFilter>();
  hr = AddFilter(writer, "WAVE Writer");
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(m_graph.get(), compressor ? compressor.get() : tee, writer.get());
  if (FAILED(hr)) return hr;
  hr = AddFileWriter(writer.get());
  if (FAILED(hr)) return hr;
  return AddPreview(tee);
}

HRESULT Recorder::AddWavCompressor(IBaseFilter* tee, std::shared_ptr<IBaseFilter>* compressor) {
  WavConfiguration wav;
  m_settings.GetWavConfiguration(wav);
  if (wav.compressorIndex == -1) return S_OK;

  FilterCategoryEnumerator compressors(CLSID_AudioCompressorCategory);
  std::vector<std::string> names;
  HRESULT hr = compressors.ListNames(&names);
  if (FAILED(hr)) return hr;
  if (wav.compressorIndex < 0 || static_cast<size_t>(wav.compressorIndex) >= names.size()) {
    SetErrorInfo("The chosen WAV compressor (number " + std::to_string(wav.compressorIndex) + ") is not installed; " +
                 std::to_string(names.size()) + " compressor(s) available.");
    return E_INVALIDARG;
  }
  hr = compressors.BindByName(names[static_cast<size_t>(wav.compressorIndex)], compressor);
  if (FAILED(hr)) return hr;
  hr = AddFilter(*compressor, "WAV Compressor");
  if (FAILED(hr)) return hr;
  return ConnectFilters(m_graph.get(), tee, compressor->get());
}

HRESULT Recorder::AddMp3Encoder(IBaseFilter* tee, std::shared_ptr<IBaseFilter>* encoder) {
  auto mp3 = std::make_shared<CMP3EncFilter>();
  *encoder = mp3;
  HRESULT hr = AddFilter(mp3, "MP3 Compressor");
  if (FAILED(hr)) return hr;
  Mp3Configuration configuration;
  m_settings.GetMp3Configuration(configuration);
  hr = PushMp3Settings(mp3.get(), configuration);
  if (FAILED(hr)) return hr;
  return ConnectFilters(m_graph.get(), tee, mp3.get());
}

HRESULT Recorder::BuildOggChain(IBaseFilter* source, IBaseFilter* tee) {
  std::shared_ptr<IBaseFilter> encoder = std::make_shared<CVorbisEnc>();
  std::shared_ptr<IBaseFilter> mux = std::make_shared<COggMux>();
  HRESULT hr = AddFilter(encoder, "Ogg compressor");
  if (FAILED(hr)) return hr;
  hr = AddFilter(mux, "Ogg Mux");
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(m_graph.get(), source, tee);
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(m_graph.get(), tee, encoder.get());
  if (FAILED(hr)) return hr;
  ApplyLatency(source, m_settings);
  hr = ConnectFilters(m_graph.get(), encoder.get(), mux.get());
  if (FAILED(hr)) return hr;
  hr = AddFileWriter(mux.get());
  if (FAILED(hr)) return hr;
  hr = PushVorbisSettings(encoder.get(), m_settings);
  if (FAILED(hr)) return hr;
  return AddPreview(tee);
}

HRESULT Recorder::BuildWmaChain(IBaseFilter* source, IBaseFilter* tee) {
  std::shared_ptr<IBaseFilter> writer;
  HRESULT hr = CoCreateInstance(CLSID_WMAsfWriter, &writer);
  if (FAILED(hr)) return hr;
  auto* sink = QueryInterface<IFileSinkFilter2>(writer.get());
  if (sink == nullptr) return E_NOINTERFACE;
  hr = sink->SetFileName(m_outputFile, nullptr);
  if (FAILED(hr)) return hr;
  hr = AddFilter(writer, "ASF Mux");
  if (FAILED(hr)) return hr;
  auto* config = QueryInterface<IConfigAsfWriter>(writer.get());
  if (config == nullptr) return E_NOINTERFACE;
  hr = ConfigureWriterForWmaChoice(config, m_wmaCodecIndex, m_wmaFormatIndex, m_wmaVbr);
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(m_graph.get(), source, tee);
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(m_graph.get(), tee, writer.get());
  if (FAILED(hr)) return hr;
  hr = AddPreview(tee);
  if (FAILED(hr)) return hr;
  ApplyLatency(source, m_settings);
  return hr;
}

HRESULT Recorder::AddFileWriter(IBaseFilter* upstream) {
  std::shared_ptr<IBaseFilter> fileWriter;
  HRESULT hr = CoCreateInstance(CLSID_FileWriter, &fileWriter);
  if (FAILED(hr)) return hr;
  hr = AddFilter(fileWriter, "File Writer");
  if (FAILED(hr)) return hr;
  auto* sink = QueryInterface<IFileSinkFilter2>(fileWriter.get());
  if (sink == nullptr) return E_NOINTERFACE;
  hr = sink->SetFileName(m_outputFile, nullptr);
  if (FAILED(hr)) return hr;
  return ConnectFilters(m_graph.get(), upstream, fileWriter.get());
}

HRESULT Recorder::AddPreview(IBaseFilter* tee) {
  uint32_t preview = 0;
  m_settings.GetPreviewAudio(preview);
  if ((preview & kPreviewPossible) == 0 || (preview & kPreviewWanted) == 0) return S_FALSE;
  IPin* spare = nullptr;
  const HRESULT hr = FindUnconnectedPin(tee, PINDIR_OUTPUT, &spare);
  if (FAILED(hr)) return hr;
  return m_graph->Render(spare);
}

HRESULT Recorder::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) {
  if (!filter) return E_POINTER;
  return m_graph->AddFilter(filter, name);
}

HRESULT Recorder::Run() {
  if (!m_control) return E_UNEXPECTED;
  const HRESULT hr = m_control->Run();
  if (FAILED(hr)) return hr;
  FILTER_STATE state;
  return m_control->GetState(kStateChangeTimeoutMs, &state);
}

HRESULT Recorder::Pause() { return m_control ? m_control->Pause() : E_UNEXPECTED; }

HRESULT Recorder::Stop() {
  if (!m_control) return S_FALSE;
  const HRESULT hr = m_control->Stop();
  if (FAILED(hr)) return hr;
  FILTER_STATE state;
  return m_control->GetState(kStateChangeTimeoutMs, &state);
}

HRESULT Recorder::TearDown() {
  if (m_registrationCookie != 0) {
    IRunningObjectTable* table = nullptr;
    if (SUCCEEDED(GetRunningObjectTable(&table))) table->Revoke(m_registrationCookie);
    m_registrationCookie = 0;
  }
  m_control.reset();
  m_graph.reset();
  return S_OK;
}

uint64_t Recorder::OverrunCount() const {
  const CAudioCaptureFilter* capture = CaptureFilter();
  return capture ? capture->OverrunCount() : 0;
}

CAudioCaptureFilter* Recorder::CaptureFilter() const {
  std::shared_ptr<IBaseFilter> source;
  if (!m_graph || FAILED(m_graph->FindFilterByName("Audio Source", &source))) return nullptr;
  return dynamic_cast<CAudioCaptureFilter*>(source.get());
}
