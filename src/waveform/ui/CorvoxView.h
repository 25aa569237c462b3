#pragma once
// The document's single view: the waveform of the loaded file on a light blue ground, the
// status box with the player's and the recorder's state and running time, the selection the
// user drags with the mouse (scrolling by itself against either edge), and the playback
// cursor while a file plays. It reads the duration and the values from the document and hands
// it the selection; the main window forwards progress to it as posted messages whose wParam
// points to a double of seconds that the main window owns.
//
// User-interface thread only, except Post (any thread).

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

#include "app/WindowTimers.h"
#include "platform/ui/Window.h"
#include "waveform/WaveformGeometry.h"

class CCorvoxDoc;

class CCorvoxView : public QAbstractScrollArea, public MessageTarget {
  Q_OBJECT

 public:
  enum class PlayerState { Playing = 0, Paused = 1, Stopped = 2, Ready = 3 };
  enum class RecorderState { Recording = 0, Paused = 1, Ready = 3, OutOfView = 4 };

  // The hint the document gives when a new waveform has been loaded.
  static constexpr long kWaveformLoadedHint = 100;
  static constexpr int kScrollLeftTimer = 3;
  static constexpr int kScrollRightTimer = 4;

  // `mainWindow` receives WM_SELECTION_CHANGED after every change of the selection.
  CCorvoxView(CCorvoxDoc& document, HWND mainWindow, QWidget* parent = nullptr);

  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The first update once the view is in place: no scrolling yet, and the document prepares
  // the recorder.
  void OnInitialUpdate();
  // The document is about to go; from now on nothing is drawn but the background.
  void DetachDocument() { m_document = nullptr; }
  // The document changed; hint kWaveformLoadedHint lays the view out for the new waveform.
  void OnUpdate(long hint);

  int TotalWidth() const { return m_totalWidth; }
  int ClientWidth() const { return m_clientWidth; }
  int ScrollPosition() const;
  bool WaveformLoaded() const { return m_waveformLoaded; }
  bool SelectionExists() const { return m_selectionExists; }
  int SelectionAnchor() const { return m_selectionAnchor; }
  int SelectionEnd() const { return m_selectionEnd; }
  int CursorPosition() const { return m_cursorX; }
  PlayerState Player() const { return m_playerState; }
  RecorderState Recorder() const { return m_recorderState; }
  const QString& PlayerText() const { return m_playerText; }
  const QString& RecorderText() const { return m_recorderText; }
  const WindowTimers& Timers() const { return m_timers; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  void Relayout();
  void OnMessage(UINT message, WPARAM wParam);
  void DrawStatusBox(QPainter& painter, const QString& text, double textInset, double shadowShift);
  void DrawWaveform(QPainter& painter);
  void ArmAutoScroll(int logicalX);
  void AutoScroll(int timer);
  void FollowCursor(double positionSeconds);
  void ScrollTo(int logicalX);
  void SelectionChanged();

  CCorvoxDoc* m_document;
  HWND m_mainWindow;
  WindowTimers m_timers{*this};
  int m_clientWidth = -1;
  int m_totalWidth = 0;
  bool m_waveformLoaded = false;
  std::vector<WaveformPoint> m_points;  // reused between paints
  int m_selectionAnchor = -1;
  int m_selectionEnd = -1;
  bool m_selectionExists = false;
  bool m_dragging = false;
  int m_cursorX = 0;
  QString m_playerText;
  QString m_recorderText;
  PlayerState m_playerState = PlayerState::Ready;
  RecorderState m_recorderState = RecorderState::Ready;
};
