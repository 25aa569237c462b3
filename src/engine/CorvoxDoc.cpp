#include "engine/CorvoxDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/CommandIds.h"
#include "engine/Messages.h"
#include "engine/RecordingFinisher.h"
#include "engine/RecordingMarker.h"
#include "engine/RecordingParts.h"
#include "engine/RecordingRecovery.h"
#include "engine/UnsavedRecording.h"
#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/media/FileParts.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/TempFolder.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "settings/ExportFormat.h"
#include "settings/OutputFileNaming.h"
#include "settings/SettingsStore.h"
#include "waveform/LoadWaveform.h"

namespace {

// Left by an MP3 recording that ended between extraction and saving.
constexpr const char* kExtractedFileName = "corvox_temp.mp3";
constexpr const char* kDumpFileName = "~vtcorvox.txt";
constexpr long kWaveformLoadedHint = 100;
constexpr size_t kMaxOpenFolderChars = 260;
constexpr int kKeep = -1;  // a button whose state a command leaves alone

constexpr const char* kBuildFailed =
    "Could not set up the recorder with the chosen codec.\nThe selected codec may not be available to this "
    "appication.\nPlease select a different compressor and try again.";
constexpr const char* kRunFailed =
    "Could not start recording.\nYour audio hardware may not support\nthe audio format selected for "
    "recording.\nPlease try another setting.";
constexpr const char* kInvalidFile =
    "The recorded file is invalid or locked.\nPlease try to load the recorded file manually.\nIf that fails, please "
    "try another codec format.";
constexpr const char* kPlayFailed = "An error occured while playing.";
constexpr const char* kOpenTitle = "Select an audio file";
constexpr const char* kOpenFilter =
    "Audio Files (*.wma, *.mp3, *.ogg, *.wav)|*.wma;*.mp3;*.ogg;*.wav;|WMA Files (*.wma)|*.wma|MP3 Files "
    "(*.mp3)|*.mp3|OGG Files (*.ogg)|*.ogg|WAV Files (*.wav)|*.wav||";

std::string DescribeContinuation(const FinishResult& result) {
  std::string text = "The recording was longer than one WAV file can hold (4 GiB). It begins in " + result.file +
                     " and continues in";
  for (const std::string& file : result.continuedIn) text += (&file == &result.continuedIn.front() ? " " : ", ") + file;
  return text + ".";
}

std::string CannotProcess(const std::string& file) { return "Couldn't process music file " + file + ".\nAborting."; }

// The reason the failing call left, as a second paragraph.
std::string WithReason(const std::string& text) {
  const std::string reason = GetErrorInfo();
  return reason.empty() ? text : text + "\n" + reason;
}

}  // namespace

CCorvoxDoc::CCorvoxDoc(SettingsStore& settings, FrameWindow* frame)
    : m_settings(settings), m_frame(frame), m_recorder(settings) {}

CCorvoxDoc::~CCorvoxDoc() {
  m_player.TearDown();
  m_reader.Release();
}

void CCorvoxDoc::SetDialog(ConfigurationDialog which, std::unique_ptr<ModalDialog> dialog) {
  m_dialogs[static_cast<size_t>(which)] = std::move(dialog);
}

bool CCorvoxDoc::OnCommand(UINT id) {
  const auto enabled = [this](FrameButton button) { return m_frame->IsButtonEnabled(button); };
  switch (id) {
    case ID_RECORD:
      if (enabled(FrameButton::Record)) OnRecord();
      return true;
    case ID_PAUSE:
      if (enabled(FrameButton::Pause)) OnPause();
      return true;
    case ID_STOP:
      if (enabled(FrameButton::Stop)) OnStop();
      return true;
    case ID_PLAY:
      if (enabled(FrameButton::Play)) OnPlay();
      return true;
    case ID_SETTINGS:
      return true;
    case ID_HELP:
      OnHelp();
      return true;
    case ID_EXPORT_FORMATS:
      RunConfigurationDialog(ConfigurationDialog::ExportFormats);
      return true;
    case ID_GENERAL_SETTINGS:
      RunConfigurationDialog(ConfigurationDialog::General);
      return true;
    case ID_AUDIO_HARDWARE:
      RunConfigurationDialog(ConfigurationDialog::AudioSource);
      return true;
    case ID_FILE_OPEN:
      ProcessFile(true);
      return true;
    default:
      return false;
  }
}

bool CCorvoxDoc::OnFrameMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(static_cast<UINT>(wParam));
    case WM_RECORDER_GRAPH_EVENT:
      OnRecorderGraphEvent();
      return true;
    case WM_READER_GRAPH_EVENT:
      OnReaderGraphEvent();
      return true;
    case WM_PLAYER_GRAPH_EVENT:
      OnPlayerGraphEvent();
      return true;
    default:
      return false;
  }
}

void CCorvoxDoc::OnHelp() { Post(WM_COMMAND, ID_HELP_FINDER); }

void CCorvoxDoc::RunConfigurationDialog(ConfigurationDialog which) {
  ModalDialog* dialog = m_dialogs[static_cast<size_t>(which)].get();
  if (dialog == nullptr || dialog->DoModal() != IDOK) return;
  m_frame->UpdateWindow();
  SetupRecorder(true);
}

bool CCorvoxDoc::UseTemporaryFolder() {
  std::string error;
  if (!GetTempFolder(m_temporaryFolder, &error)) {
    MessageBox(m_frame, "No private temporary folder for the recording: " + error, MB_ICONERROR);
    return false;
  }
  m_temporaryFile = TemporaryRecordingFile(m_temporaryFolder);
  return true;
}

bool CCorvoxDoc::ClearLeftovers() {
  std::vector<std::string> leftovers = ExistingFileParts(m_temporaryFile);
  leftovers.push_back(PathAppend(m_temporaryFolder, kExtractedFileName));
  for (const std::string& path : leftovers) {
    std::string kept, error;
    switch (ClearLeftover(path, m_temporaryFolder, &kept, &error)) {
      case Leftover::Kept:
        MessageBox(m_frame, "A recording that was never saved is kept in " + kept, MB_ICONINFORMATION);
        break;
      case Leftover::Stuck:
        MessageBox(m_frame,
                   "A recording that was never saved is in " + path +
                       " and could not be moved out of the way of the next recording: " + error,
                   MB_ICONERROR);
        return false;
      default:
        break;
    }
  }
  return true;
}

void CCorvoxDoc::RecoverInterruptedRecording() {
  const RecoveryReport report = ::RecoverInterruptedRecording(m_temporaryFile, m_settings);
  // The report says all; a reason a repair step left behind would only confuse it.
  ClearErrorInfo();
  if (report.found == RecoveryReport::Found::Recovered)
    MessageBox(m_frame, DescribeRecovery(report), MB_ICONINFORMATION);
  else if (report.found == RecoveryReport::Found::Failed)
    MessageBox(m_frame, DescribeRecovery(report), MB_ICONERROR);
}

void CCorvoxDoc::MarkRecording() {
  std::string capture;
  if (CAudioCaptureFilter* filter = m_recorder.CaptureFilter()) {
    const WAVEFORMATEX format = filter->CapturePin()->Format();
    char text[96];
    std::snprintf(text, sizeof text, "%u Hz, %u-bit, %u channels", static_cast<unsigned>(format.nSamplesPerSec),
                  static_cast<unsigned>(format.wBitsPerSample), static_cast<unsigned>(format.nChannels));
    capture = text;
  }
  // Without a marker the recording is still kept if this process dies, only not repaired.
  WriteRecordingMarker(RecordingMarkerPath(m_temporaryFolder),
                       MakeRecordingMarker(m_exportFormat, capture, m_outputFile));
}

HRESULT CCorvoxDoc::SetupRecorder(bool force) {
  if (!m_recordingEnabled || m_recording) return S_FALSE;
  if (m_recorder.IsBuilt()) {
    if (!force) return S_FALSE;
    m_recorder.TearDown();
  }
  if (!UseTemporaryFolder()) return E_FAIL;
  // Another recording owns the temporary file while it holds the lock. A recovered recording
  // takes its name before the next output name is chosen.
  if (m_lock.Acquire(m_temporaryFolder)) {
    RecoverInterruptedRecording();
    ClearLeftovers();
    m_lock.Release();
  }
  m_exportFormat = kFormatWma;
  m_settings.GetFormat(m_exportFormat);
  if (m_formatOverride) m_exportFormat = *m_formatOverride;
  m_fileNameTemplate = GetFileNameTemplate(m_settings, ExtensionForFormat(m_exportFormat));
  m_outputFile =
      m_outputOverride.empty() ? NextOutputFileName(m_settings, ExtensionForFormat(m_exportFormat)) : m_outputOverride;
  if (m_outputFile.empty()) m_outputFile = m_fileNameTemplate;

  m_recorder.SetFile(m_temporaryFile, m_frame, WM_RECORDER_GRAPH_EVENT);
  m_recorder.SetExportFormat(m_exportFormat);
  if (m_exportFormat == kFormatWma) {
    WmaConfiguration wma;
    m_settings.GetWmaConfiguration(wma);
    m_recorder.SetWmaChoice(wma.codecIndex, wma.formatIndex, wma.vbr != 0);
  }
  ClearErrorInfo();
  const HRESULT hr = m_recorder.Build();
  if (FAILED(hr)) {
    const std::string reason = GetErrorInfo();
    m_recorder.TearDown();
    SetErrorInfo(reason);
    MessageBox(m_frame, kBuildFailed, MB_OK);
  }
  return hr;
}

void CCorvoxDoc::OnRecord() {
  ClearErrorInfo();
  if (m_recording && !m_paused) return;
  const bool resuming = m_recording;
  if (!resuming) {
    if (!m_recorder.IsBuilt()) SetupRecorder(true);
    if (!m_recorder.IsBuilt()) return;
    if (!m_lock.Acquire(m_temporaryFolder)) {
      MessageBox(m_frame, WithReason("Could not start recording."), MB_ICONERROR);
      return;
    }
    RecoverInterruptedRecording();
    if (!ClearLeftovers()) {
      m_lock.Release();
      return;
    }
    MarkRecording();
    ApplyRecordingLimit();
    m_lastRecording = RecordingOutcome{};
    m_lastRecording.complete = true;
  }
  if (m_player.IsOpen()) m_player.TearDown();
  m_playingMode = false;
  const HRESULT hr = m_recorder.Run();
  if (FAILED(hr)) {
    MessageBox(m_frame, kRunFailed, MB_ICONERROR);
    if (resuming) {
      // What was recorded before the pause is in the temporary file: save it.
      m_lastRecording.complete = false;
      StopRecording();
      FinishRecording();
      return;
    }
    m_recorder.TearDown();
    ClearLeftovers();
    RemoveRecordingMarker(RecordingMarkerPath(m_temporaryFolder));
    m_lock.Release();
    return;
  }
  Post(WM_RECORD_PROGRESS, resuming ? 1 : 0);
  m_paused = false;
  m_recording = true;
  SetButtons(false, false, true, true, false);
}

void CCorvoxDoc::ApplyRecordingLimit() {
  CAudioCaptureFilter* capture = m_recorder.CaptureFilter();
  if (capture == nullptr) return;
  const uint32_t rateHz = capture->CapturePin()->Format().nSamplesPerSec;
  const double frames = std::round(m_limitSeconds * rateHz);
  capture->SetFrameLimit(m_limitSeconds > 0 ? std::max<uint64_t>(1, static_cast<uint64_t>(frames)) : 0);
}

void CCorvoxDoc::OnPause() {
  if (m_playingMode) {
    if (!m_player.IsOpen()) return;
    m_player.Pause();
    Post(WM_PLAYER_PAUSED);
    m_paused = true;
    SetButtons(kKeep, true, false, true, kKeep);
    return;
  }
  if (!m_recording || m_paused) return;
  ClearErrorInfo();
  if (FAILED(m_recorder.Pause())) {
    MessageBox(m_frame, WithReason("The recording could not be paused."), MB_ICONERROR);
    return;
  }
  m_paused = true;
  Post(WM_RECORDER_PAUSED);
  SetButtons(true, false, false, true, kKeep);
}

void CCorvoxDoc::OnStop() {
  if (m_playingMode) {
    StopPlayback();
    return;
  }
  if (!m_recording) return;
  StopRecording();
  FinishRecording();
}

HRESULT CCorvoxDoc::StopRecording() {
  ClearErrorInfo();
  const HRESULT hr = m_recorder.Stop();
  m_recording = false;
  m_paused = false;
  Post(WM_STATUS_READY);
  SetButtons(true, kKeep, false, false, true);
  if (FAILED(hr)) {
    m_lastRecording.complete = false;
    MessageBox(m_frame, WithReason("The recording could not be finished."), MB_ICONERROR);
  }
  return hr;
}

void CCorvoxDoc::StopPlayback() {
  if (!m_player.IsOpen()) return;
  m_player.StopAndRewind();
  Post(WM_PLAYER_STOPPED);
  m_paused = false;
  SetButtons(true, true, false, false, kKeep);
}

void CCorvoxDoc::FinishRecording() {
  m_recorder.Stop();
  m_player.TearDown();
  m_lastRecording.dropouts = m_recorder.OverrunCount();
  FinishRequest request;
  request.temporaryFile = m_temporaryFile;
  request.folder = m_temporaryFolder;
  request.outputFile = m_outputFile;
  request.format = m_exportFormat;
  request.rule = !m_outputOverride.empty() || m_settings.GetOverwritingBehaviour() ? ReplaceRule::ReplaceRegularFile
                                                                                   : ReplaceRule::KeepExisting;
  request.nextOutputName = [this] { return NextOutputFileName(m_settings, ExtensionForFormat(m_exportFormat)); };
  request.cutOff = !m_lastRecording.complete;
  const FinishResult result = FinishRecordingInParts(request);
  // A recording left at its temporary name keeps its marker: the next start recovers it.
  if (result.file != m_temporaryFile) RemoveRecordingMarker(RecordingMarkerPath(m_temporaryFolder));
  m_lock.Release();
  m_outputOverride.clear();
  m_lastRecording.saved = result.saved;
  m_lastRecording.file = result.file;
  m_lastRecording.seconds = result.seconds;
  m_lastRecording.continuedIn = result.continuedIn;
  if (!result.saved) {
    MessageBox(m_frame,
               "The recording could not be saved as " + m_outputFile + ". " + result.problem +
                   (result.file.empty() ? std::string() : "\nThe recording is kept in " + result.file),
               MB_ICONERROR);
  } else if (!result.continuedIn.empty()) {
    MessageBox(m_frame, DescribeContinuation(result), MB_ICONINFORMATION);
  }
  m_currentFile = result.file.empty() ? m_outputFile : result.file;
  ProcessFile(false);
}

bool CCorvoxDoc::OpenAudioFile() {
  std::string folder;
  m_settings.GetOpenDirectory(folder);
  m_openFolder = folder.substr(0, kMaxOpenFolderChars);
  OpenFileDialogOptions options;
  options.title = kOpenTitle;
  options.filter = kOpenFilter;
  options.initialFolder = m_openFolder;
  options.maxPathChars = 16000;
  std::string path;
  if (!ShowOpenFileDialog(m_frame, options, &path)) return false;
  m_currentFile = path;
  m_openFolder = PathRemoveFileSpec(path).substr(0, kMaxOpenFolderChars);
  m_settings.SetOpenDirectory(m_openFolder);
  return true;
}

void CCorvoxDoc::ProcessFile(bool ask) {
  if (ask && !OpenAudioFile()) return;
  m_frame->UpdateWindow();
  if (m_player.IsOpen()) m_player.TearDown();
  std::string folder;
  if (!m_dumpOverride.empty())
    m_dumpFile = m_dumpOverride;
  else
    m_dumpFile = GetTempFolder(folder) ? PathAppend(folder, kDumpFileName) : std::string();
  m_reader.SetFiles(m_currentFile, m_dumpFile, m_frame);
  m_loadFailure.clear();
  m_playerFailure.clear();
  m_loading = true;
  Post(WM_READING_STARTED);
  ClearErrorInfo();
  if (FAILED(m_reader.Run())) {
    m_loadFailure = GetErrorInfo();
    MessageBox(m_frame, CannotProcess(m_currentFile), MB_ICONERROR);
    OnWaveformReady(false);
  }
}

void CCorvoxDoc::OnReaderGraphEvent() {
  if (!m_loading) return;
  const ReaderOutcome outcome = m_reader.ReadEvents();
  if (outcome == ReaderOutcome::Running) return;
  if (outcome == ReaderOutcome::Failed) m_loadFailure = GetErrorInfo();
  OnWaveformReady(outcome == ReaderOutcome::Completed);
}

void CCorvoxDoc::OnWaveformReady(bool success) {
  m_loading = false;
  SetupRecorder(true);
  m_reader.Release();
  if (!success) {
    Post(WM_LOAD_FAILED);
    return;
  }
  m_selectionLength = 0;
  WaveformData waveform;
  if (!LoadWaveform(m_dumpFile, &waveform)) {
    MessageBox(m_frame, kInvalidFile, MB_OK);
    Post(WM_LOAD_FAILED);
    return;
  }
  m_duration = waveform.durationSeconds;
  m_waveformValues = std::move(waveform.values);
  m_frame->UpdateAllViews(kWaveformLoadedHint);
  Post(WM_WAVEFORM_LOADED);
  m_frame->EnableButton(FrameButton::Play, true);
  // A graph that cannot be completed is not reported here; Play finds out.
  ClearErrorInfo();
  const HRESULT opened = m_player.Open(m_currentFile, m_frame, WM_PLAYER_GRAPH_EVENT);
  m_playerFailure = FAILED(opened) ? WithReason("The file cannot be played.") : std::string();
  m_player.SetRange(0, static_cast<float>(m_duration));
}

void CCorvoxDoc::OnPlay() {
  if (!m_player.IsOpen()) return;
  if (!m_playerFailure.empty()) {
    // An incomplete graph would run without ever ending.
    SetErrorInfo(m_playerFailure);
    MessageBox(m_frame, kPlayFailed, MB_ICONERROR);
    return;
  }
  if (m_playingMode && m_paused) {
    m_paused = false;
  } else {
    if (m_selectionEnd > m_duration) m_selectionEnd = m_duration;
    if (m_selectionLength != 0)
      m_player.SetRange(static_cast<float>(m_selectionStart), static_cast<float>(m_selectionEnd));
    else
      m_player.SetRange(0, static_cast<float>(m_duration));
    m_player.StopAndRewind();
    m_paused = false;
  }
  ClearErrorInfo();
  const HRESULT hr = m_player.Play();
  m_playingMode = true;
  SetButtons(false, false, true, true, kKeep);
  if (FAILED(hr)) OnPlayerEvent(-1);
}

void CCorvoxDoc::OnPlayerEvent(int result) {
  if (result == -1) MessageBox(m_frame, kPlayFailed, MB_ICONERROR);
  if (m_playingMode) StopPlayback();
}

GraphOutcome CCorvoxDoc::OnPlayerGraphEvent() {
  const GraphOutcome outcome = m_player.ReadEvents();
  if (outcome != GraphOutcome::Running) OnPlayerEvent(outcome == GraphOutcome::Completed ? 0 : -1);
  return outcome;
}

void CCorvoxDoc::OnRecorderGraphEvent() {
  const GraphOutcome outcome = TakeGraphEvents(m_recorder.Graph());
  if (!m_recording || outcome == GraphOutcome::Running) return;
  if (outcome == GraphOutcome::Failed) {
    // The graph stopped working: nothing more is written. Keep what was.
    const std::string reason = GetErrorInfo();
    m_lastRecording.complete = false;
    StopRecording();
    MessageBox(m_frame,
               "The recording stopped early: " + (reason.empty() ? std::string("the recording graph failed.") : reason),
               MB_ICONERROR);
  } else {
    StopRecording();
  }
  FinishRecording();
}

void CCorvoxDoc::SetSelection(double from, double to) {
  m_selectionStart = from * m_duration;
  m_selectionEnd = std::min(to * m_duration, m_duration);
  m_selectionLength = m_selectionEnd - m_selectionStart;
}

void CCorvoxDoc::SetPlaybackVolume(int position) {
  position = std::clamp(position, 1, 1000);
  // 20 log10(position / 1000), exact at the decades.
  const int decibels = static_cast<int>(20.0 * std::log10(static_cast<double>(position)) - 60.0);
  m_player.SetVolume(decibels);
}

bool CCorvoxDoc::SetOutputFile(const std::string& path) {
  if (!IsReplaceableTarget(path)) return false;
  m_outputOverride = path;
  if (!m_recording) m_outputFile = path;
  return true;
}

void CCorvoxDoc::UseExportFormat(int format) { m_formatOverride = format; }

void CCorvoxDoc::SetRecordingLimit(double seconds) { m_limitSeconds = seconds > 0 ? seconds : 0; }

void CCorvoxDoc::EnableRecording(bool enabled) {
  m_recordingEnabled = enabled;
  if (!enabled && !m_recording) m_recorder.TearDown();
}

double CCorvoxDoc::RecordedSeconds() const {
  CAudioCaptureFilter* capture = m_recorder.CaptureFilter();
  if (capture == nullptr) return 0;
  const uint32_t rateHz = capture->CapturePin()->Format().nSamplesPerSec;
  return rateHz == 0 ? 0 : static_cast<double>(capture->FramesDelivered()) / rateHz;
}

double CCorvoxDoc::TakeInputPeakLevel() {
  CAudioCaptureFilter* capture = m_recorder.CaptureFilter();
  return capture ? capture->TakePeakLevel() : 0;
}

void CCorvoxDoc::SetButtons(int record, int play, int pause, int stop, int settings) {
  const std::pair<FrameButton, int> states[] = {{FrameButton::Record, record},
                                                {FrameButton::Play, play},
                                                {FrameButton::Pause, pause},
                                                {FrameButton::Stop, stop},
                                                {FrameButton::Settings, settings}};
  for (const auto& [button, state] : states)
    if (state != kKeep) m_frame->EnableButton(button, state != 0);
}

void CCorvoxDoc::Post(UINT message, WPARAM wParam, LPARAM lParam) { PostMessage(m_frame, message, wParam, lParam); }
