#pragma once
// The frame of the single document: toolbar, menus, the view, the bottom band with the file's
// name, duration and status text, the selection length and the playback volume, and the
// status bar. It keeps the enable state of the transport buttons (set only by the document),
// owns the program's timers and the recording stopwatch, reacts to graph events by handing
// them to the document, and forwards recording and playback progress to the view once per
// tick. Commands are carried out by the document.
//
// User-interface thread only, except Post (any thread: graph events arrive from streaming
// threads). The recording time and the playback position are handed to the view by address,
// so they live as long as the frame.

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "app/Stopwatch.h"
#include "app/WindowTimers.h"
#include "platform/ui/FrameWindow.h"

class CCorvoxDoc;
class CCorvoxView;
class FileInfoBar;
class LevelMeter;
class SelectionVolumeBar;
class SettingsStore;
class TransportToolBar;
class UpdateCheckHook;
class QAction;

class CMainFrame : public QMainWindow, public FrameWindow {
  Q_OBJECT

 public:
  enum class PlayerPhase { Playing = 0, Paused = 1, Stopped = 2, Idle = 3 };
  enum class RecorderPhase { Recording = 0, Paused = 1, Stopped = 2 };

  static constexpr int kWidth = 520;
  static constexpr int kHeight = 440;

  explicit CMainFrame(SettingsStore& settings, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Binds the document and makes the view over it; the view's first update prepares the
  // recorder. The document is detached before it is destroyed.
  void AttachDocument(CCorvoxDoc* document);
  // Detaches the view and the timers from a document about to go.
  void DetachDocument();
  void SetUpdateCheck(UpdateCheckHook* hook) { m_updateCheck = hook; }

  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  void EnableButton(FrameButton button, bool enabled) override;
  bool IsButtonEnabled(FrameButton button) const override;
  void UpdateWindow() override;
  void UpdateAllViews(long hint) override;

  // Runs a command as the toolbar and menus do.
  void RunCommand(UINT command);

  CCorvoxView* View() const { return m_view; }
  TransportToolBar* ToolBar() const { return m_toolBar; }
  FileInfoBar* FileBar() const { return m_fileBar; }
  SelectionVolumeBar* SelectionBar() const { return m_selectionBar; }
  LevelMeter* Meter() const { return m_meter; }
  WindowTimers& Timers() { return m_timers; }
  PlayerPhase Player() const { return m_playerPhase; }
  RecorderPhase Recorder() const { return m_recorderPhase; }
  bool Blink() const { return m_blink; }
  double RecordingSeconds() const { return m_recordingSeconds; }
  double PlaybackSeconds() const { return m_playbackSeconds; }
  double PlaybackDurationSeconds() const { return m_playbackDurationSeconds; }
  bool HoldsPlaybackGraph() const { return m_playbackGraph != nullptr; }

 protected:
  void customEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void CreateMenus();
  QWidget* CreateBottomBand();
  void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimer(int timer);
  void OnPlayerGraphEvent();
  void OnLoadFailed();
  void OnPlayProgress(WPARAM graph);
  void OnRecordingTick();
  void OnPlaybackTick();
  void DropPlaybackGraph();
  void ApplyVolume();
  void ApplyToolTips();
  void ShowHelp();
  void ShowAbout();

  SettingsStore& m_settings;
  CCorvoxDoc* m_document = nullptr;
  CCorvoxView* m_view = nullptr;
  TransportToolBar* m_toolBar;
  FileInfoBar* m_fileBar = nullptr;
  SelectionVolumeBar* m_selectionBar = nullptr;
  LevelMeter* m_meter;
  QTimer m_meterTimer;
  WindowTimers m_timers{*this};
  UpdateCheckHook* m_updateCheck = nullptr;
  std::array<QAction*, 5> m_buttons{};  // indexed by FrameButton
  std::array<bool, 5> m_enabled{true, false, false, false, true};

  bool m_blink = true;
  PlayerPhase m_playerPhase = PlayerPhase::Idle;
  RecorderPhase m_recorderPhase = RecorderPhase::Stopped;
  Stopwatch m_clock;
  double m_recordingSeconds = 0;
  double m_playbackSeconds = 0;
  double m_playbackDurationSeconds = 0;
  // The playback graph whose position is shown; its seeking is asked of the document's player
  // on every tick, so a graph the document tore down is never touched.
  const void* m_playbackGraph = nullptr;
  bool m_volumeApplied = false;
};
