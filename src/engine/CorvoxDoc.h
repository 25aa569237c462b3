#pragma once
// The single document: the owner of everything that records and plays. It carries out the
// transport commands (Record, Pause, Stop, Play), keeps the recording graph built and ready
// between recordings, records into the temporary file, saves the result under its output
// name, loads that file (or one the user opens) into waveform values, and plays it whole or
// as a selection. It talks to the main window only through posted messages (Messages.h) and
// the button-enable flags; message boxes and dialogs go through the seams of platform/ui.
//
// What a recording is guaranteed, for every face that drives the document: one recording at
// a time per user; nothing recorded is lost (a recording an earlier session left cut off is
// repaired and saved at the next set-up, RecordingRecovery.h; one that cannot be saved, and a
// temporary file left without a marker, are kept under an unsaved name; the user is told
// where); only a valid recording is saved, and it never replaces a file unless
// overwriting is on or the user named that file, and never anything but a regular file.
//
// Threads: user-interface thread only. Graph events arrive as messages that the main window
// hands back (OnFrameMessage, or the three On...GraphEvent calls); nothing is locked.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/AudioPlayer.h"
#include "engine/GraphHelpers.h"
#include "engine/Recorder.h"
#include "engine/RecordingLock.h"
#include "engine/WaveformReader.h"
#include "platform/ui/FrameWindow.h"
#include "platform/ui/ModalDialog.h"

class SettingsStore;

enum class ConfigurationDialog { ExportFormats, AudioSource, General };

// How the last recording ended.
struct RecordingOutcome {
  bool saved = false;     // valid and under its output name
  bool complete = false;  // ended by Stop or by its input: no abort, and the writers finished
  std::string file;       // the output name when saved, else where it is kept (empty: nowhere)
  // A WAV recording longer than one file can hold goes on in these, in order (RecordingParts.h).
  std::vector<std::string> continuedIn;
  double seconds = 0;     // its length by its format's check
  uint64_t dropouts = 0;  // audio the device lost because the recording could not keep up
};

class CCorvoxDoc {
 public:
  // `frame` is the main window; it outlives the document.
  CCorvoxDoc(SettingsStore& settings, FrameWindow* frame);
  ~CCorvoxDoc();
  CCorvoxDoc(const CCorvoxDoc&) = delete;
  CCorvoxDoc& operator=(const CCorvoxDoc&) = delete;

  // The configuration dialogs the shell made for this document; without one its command
  // does nothing.
  void SetDialog(ConfigurationDialog which, std::unique_ptr<ModalDialog> dialog);

  // A toolbar or menu command (CommandIds.h). A transport command whose button is disabled is
  // not carried out, as the window would not deliver it. False for a command not handled here.
  bool OnCommand(UINT id);
  // The messages a main window hands back: WM_COMMAND and the three graph events. False for
  // any other message.
  bool OnFrameMessage(UINT message, WPARAM wParam);

  void OnRecord();
  // Pauses the recording, or the playback in playing mode.
  void OnPause();
  // Stops and saves the recording, or stops the playback in playing mode.
  void OnStop();
  void OnPlay();
  void OnHelp();
  // Shows the dialog; after OK repaints and prepares the recorder again.
  void RunConfigurationDialog(ConfigurationDialog which);

  // Makes the recording graph ready for the next recording; with `force` builds it anew (not
  // while a recording runs). Chooses the output name and clears the temporary file. A graph
  // that cannot be built is reported to the user and its failure returned.
  HRESULT SetupRecorder(bool force);
  // After the graph stopped: saves the recording (or keeps it) and loads it.
  void FinishRecording();

  // The open-file dialog; true with the current file set to the chosen one.
  bool OpenAudioFile();
  // Loads the current file (asking for one first with `ask`) into the dump file; the load ends
  // in OnWaveformReady.
  void ProcessFile(bool ask);
  // The end of a load: prepares the recorder, reads the dump into the waveform values and
  // opens the player on the file; a failure posts WM_LOAD_FAILED.
  void OnWaveformReady(bool success);
  // The end of playback: -1 for an abort (reported), anything else for completion.
  void OnPlayerEvent(int result);
  // The selection as fractions (0 ... 1) of the duration.
  void SetSelection(double from, double to);
  // The volume slider's position, 0 ... 1000 (0 counts as 1): 20 log10(position / 1000) dB.
  void SetPlaybackVolume(int position);

  void OnRecorderGraphEvent();
  void OnReaderGraphEvent();
  // Returns what the events said of playback, so the window can stop its position timer.
  GraphOutcome OnPlayerGraphEvent();

  // The command line's choices. The next recording goes to `path` instead of the next output
  // name, replacing a regular file of that name; false (nothing changed) when something other
  // than a regular file is there. Holds until that recording is finished.
  bool SetOutputFile(const std::string& path);
  // Records in this export format rather than the stored one (which the caller failed to
  // change).
  void UseExportFormat(int format);
  // Recordings end by themselves after this much recorded audio; 0: no limit.
  void SetRecordingLimit(double seconds);
  // A document that only loads and plays builds no recording graph.
  void EnableRecording(bool enabled);
  void SetCurrentFile(const std::string& path) { m_currentFile = path; }
  // Loads write the dump file here instead of the temporary folder; empty: the default.
  void SetDumpFile(const std::string& path) { m_dumpOverride = path; }

  bool IsPlayingMode() const { return m_playingMode; }
  bool IsPaused() const { return m_paused; }
  bool IsRecording() const { return m_recording; }
  bool IsLoading() const { return m_loading; }
  int ExportFormat() const { return m_exportFormat; }
  const std::string& CurrentFile() const { return m_currentFile; }
  const std::string& TemporaryFile() const { return m_temporaryFile; }
  const std::string& FileNameTemplate() const { return m_fileNameTemplate; }
  const std::string& DumpFile() const { return m_dumpFile; }
  const std::string& OutputFile() const { return m_outputFile; }
  double Duration() const { return m_duration; }
  double SelectionLength() const { return m_selectionLength; }
  double SelectionStart() const { return m_selectionStart; }
  double SelectionEnd() const { return m_selectionEnd; }
  const std::vector<float>& WaveformValues() const { return m_waveformValues; }
  const RecordingOutcome& LastRecording() const { return m_lastRecording; }
  // Why the last load failed, when the reader said.
  const std::string& LoadFailure() const { return m_loadFailure; }
  // Why the player could not be made ready for the loaded file; empty when it was.
  const std::string& PlayerFailure() const { return m_playerFailure; }
  // Seconds of audio recorded so far by the recording graph.
  double RecordedSeconds() const;
  // The input's largest level since the last call, 0 ... 1 of full scale.
  double TakeInputPeakLevel();
  AudioPlayer& Player() { return m_player; }
  Recorder& GetRecorder() { return m_recorder; }

 private:
  // The temporary folder and the names in it; false with the user told why.
  bool UseTemporaryFolder();
  // Clears the temporary names for a recording (the lock must be held): leftovers with audio
  // are kept and the user told; false when one could not be moved.
  bool ClearLeftovers();
  // Recovers a recording an earlier session left cut off and tells the user (the lock must be
  // held).
  void RecoverInterruptedRecording();
  // Writes the marker of the recording about to start.
  void MarkRecording();
  void ApplyRecordingLimit();
  // Stop's recording branch; the graph's Stop result.
  HRESULT StopRecording();
  void StopPlayback();
  void SetButtons(int record, int play, int pause, int stop, int settings);
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  SettingsStore& m_settings;
  FrameWindow* const m_frame;

  bool m_playingMode = false;
  bool m_paused = false;
  AudioPlayer m_player;
  Recorder m_recorder;
  WaveformReader m_reader;
  std::string m_currentFile;
  std::string m_temporaryFile;
  std::string m_fileNameTemplate;
  std::string m_dumpFile;
  std::string m_outputFile;
  double m_duration = 0;
  double m_selectionLength = 0;
  double m_selectionStart = 0;
  double m_selectionEnd = 0;
  std::vector<float> m_waveformValues;
  int m_exportFormat = 200;
  std::unique_ptr<ModalDialog> m_dialogs[3];
  std::string m_openFolder;  // remembered for the next open-file dialog

  std::string m_temporaryFolder;
  RecordingLock m_lock;  // held from Record until the recording is saved or kept
  bool m_recording = false;
  bool m_loading = false;
  bool m_recordingEnabled = true;
  std::string m_outputOverride;
  std::optional<int> m_formatOverride;
  std::string m_dumpOverride;
  double m_limitSeconds = 0;
  RecordingOutcome m_lastRecording;
  std::string m_loadFailure;
  std::string m_playerFailure;
};
