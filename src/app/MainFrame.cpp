#include "app/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/AboutBox.h"
#include "app/FileInfoBar.h"
#include "app/FrameIds.h"
#include "app/HelpWindow.h"
#include "app/LevelMeter.h"
#include "app/ProductInfo.h"
#include "app/ProjectIcons.h"
#include "app/RecordingStatus.h"
#include "app/SelectionVolumeBar.h"
#include "app/TransportToolBar.h"
#include "app/UpdateCheckHook.h"
#include "app/WindowMessageEvent.h"
#include "engine/CommandIds.h"
#include "engine/CorvoxDoc.h"
#include "engine/Messages.h"
#include "platform/media/Seeking.h"
#include "settings/SettingsStore.h"
#include "update/UpdateCheck.h"
#include "waveform/TimeText.h"
#include "waveform/ui/CorvoxView.h"

namespace {

constexpr int kReadingBlinkMs = 300;
constexpr int kStatusClearMs = 7000;
constexpr int kRecordingTickMs = 1000;
constexpr int kPlaybackTickMs = 250;
constexpr int kMeterRefreshMs = 100;
constexpr int kDefaultPlaybackVolume = 60;
constexpr auto kUpdateWorkerGrace = std::chrono::milliseconds(500);
constexpr double kSecondsPerReferenceTime = 1e-7;

const QString kReadingText = QStringLiteral("Reading audio file. Please wait ...");
const QString kLoadFailedText = QStringLiteral("Couldn't load the file.");

}  // namespace

CMainFrame::CMainFrame(SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_toolBar(new TransportToolBar(this)), m_meter(new LevelMeter(this)) {
  setWindowTitle(QString::fromUtf8(kProductName));
  setWindowIcon(ApplicationIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
  setFixedSize(kWidth, kHeight);

  addToolBar(Qt::TopToolBarArea, m_toolBar);
  connect(m_toolBar, &TransportToolBar::Command, this, &CMainFrame::RunCommand);
  m_buttons = {m_toolBar->Action(ID_RECORD), m_toolBar->Action(ID_PLAY), m_toolBar->Action(ID_PAUSE),
               m_toolBar->Action(ID_STOP), m_toolBar->Action(ID_SETTINGS)};
  for (size_t i = 0; i < m_buttons.size(); ++i) m_buttons[i]->setEnabled(m_enabled[i]);
  CreateMenus();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addStretch(1);
  layout->addWidget(CreateBottomBand());
  setCentralWidget(central);

  statusBar()->addPermanentWidget(m_meter);
  m_meter->hide();
  m_meterTimer.setInterval(kMeterRefreshMs);
  connect(&m_meterTimer, &QTimer::timeout, this, [this] {
    if (m_document) m_meter->SetPeak(m_document->TakeInputPeakLevel());
  });

  int volume = kDefaultPlaybackVolume;
  m_settings.GetPlaybackVol(volume);
  m_selectionBar->Volume()->setValue(volume);
  connect(m_selectionBar->Volume(), &QSlider::valueChanged, this, &CMainFrame::ApplyVolume);
  Post(WM_APPLY_TOOLTIPS, 0, 0);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateMenus() {
  struct Entry {
    const char* text;
    UINT command;
    QKeySequence shortcut;
  };
  const auto addMenu = [this](const QString& title, std::initializer_list<Entry> entries) {
    QMenu* menu = menuBar()->addMenu(title);
    for (const Entry& entry : entries) {
      if (entry.command == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(tr(entry.text));
      action->setShortcut(entry.shortcut);
      const UINT command = entry.command;
      connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
  };
  addMenu(tr("&File"), {{"&Open File", ID_FILE_OPEN, QKeySequence::Open},
                        {"", 0, {}},
                        {"E&xit", ID_APP_EXIT, QKeySequence(Qt::CTRL | Qt::Key_Q)}});
  addMenu(tr("&Settings"), {{"&Export Configuration", ID_EXPORT_FORMATS, {}},
                            {"&Hardware Configuration", ID_AUDIO_HARDWARE, {}},
                            {"&General Configuration", ID_GENERAL_SETTINGS, {}}});
  addMenu(tr("&Help"), {{"&Help Topics", ID_HELP_TOPICS, QKeySequence(Qt::Key_F1)},
                        {"", 0, {}},
                        {"&About Corvox...", ID_APP_ABOUT, {}}});
}

QWidget* CMainFrame::CreateBottomBand() {
  auto* band = new QWidget(this);
  auto* layout = new QVBoxLayout(band);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  m_fileBar = new FileInfoBar(band);
  m_selectionBar = new SelectionVolumeBar(band);
  for (QWidget* bar : {static_cast<QWidget*>(m_fileBar), static_cast<QWidget*>(m_selectionBar)}) {
    auto* border = new QFrame(band);
    border->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* inner = new QVBoxLayout(border);
    inner->setContentsMargins(1, 1, 1, 1);
    inner->addWidget(bar);
    border->setFixedHeight(border->sizeHint().height());
    layout->addWidget(border);
  }
  return band;
}

void CMainFrame::AttachDocument(CCorvoxDoc* document) {
  m_document = document;
  m_view = new CCorvoxView(*document, this, centralWidget());
  auto* layout = static_cast<QVBoxLayout*>(centralWidget()->layout());
  delete layout->takeAt(0);  // the stretch that held the view's place
  layout->insertWidget(0, m_view, 1);
  m_view->OnInitialUpdate();
}

void CMainFrame::DetachDocument() {
  for (int timer : {kReadingBlinkTimer, kStatusClearTimer, kRecordingTimer, kPlaybackTimer}) m_timers.Kill(timer);
  m_meterTimer.stop();
  m_playbackGraph = nullptr;
  m_document = nullptr;
  if (m_view) m_view->DetachDocument();
}

void CMainFrame::Post(UINT message, WPARAM wParam, LPARAM lParam) { PostWindowMessage(this, message, wParam, lParam); }

void CMainFrame::EnableButton(FrameButton button, bool enabled) {
  const auto index = static_cast<size_t>(button);
  m_enabled[index] = enabled;
  m_buttons[index]->setEnabled(enabled);
}

bool CMainFrame::IsButtonEnabled(FrameButton button) const { return m_enabled[static_cast<size_t>(button)]; }

void CMainFrame::UpdateWindow() { repaint(); }

void CMainFrame::UpdateAllViews(long hint) {
  if (m_view) m_view->OnUpdate(hint);
}

void CMainFrame::RunCommand(UINT command) {
  switch (command) {
    case ID_APP_EXIT:
      close();
      return;
    case ID_APP_ABOUT:
      ShowAbout();
      return;
    case ID_HELP_TOPICS:
    case ID_HELP_FINDER:
      ShowHelp();
      return;
    default:
      if (m_document) m_document->OnCommand(command);
  }
}

void CMainFrame::customEvent(QEvent* event) {
  if (const WindowMessageEvent* message = WindowMessageEvent::From(event))
    OnMessage(message->Message(), message->WParam(), message->LParam());
}

void CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    RunCommand(static_cast<UINT>(wParam));
    return;
  }
  if (message == WM_APPLY_TOOLTIPS) {
    ApplyToolTips();
    return;
  }
  if (message == WM_UPDATE_RESPONSE) {
    if (m_updateCheck) m_updateCheck->OnResponse(wParam, lParam);
    return;
  }
  if (!m_document) return;
  switch (message) {
    case WM_WAVEFORM_LOADED:
      m_timers.Kill(kReadingBlinkTimer);
      m_fileBar->SetFileName(QString::fromStdString(m_document->CurrentFile()));
      m_fileBar->SetDuration(QString::fromStdString(DurationText(m_document->Duration())));
      m_fileBar->SetStatus(QString());
      ApplyVolume();
      break;
    case WM_SELECTION_CHANGED:
      m_selectionBar->SetSelectionText(
          QStringLiteral("Selection: %1").arg(QString::fromStdString(DurationText(m_document->SelectionLength()))));
      break;
    case WM_PLAYER_GRAPH_EVENT:
      OnPlayerGraphEvent();
      break;
    case WM_READER_GRAPH_EVENT:
      m_document->OnReaderGraphEvent();
      break;
    case WM_RECORDER_GRAPH_EVENT:
      m_document->OnRecorderGraphEvent();
      break;
    case WM_LOAD_FAILED:
      OnLoadFailed();
      break;
    case WM_READING_STARTED:
      m_timers.Set(kReadingBlinkTimer, kReadingBlinkMs);
      break;
    case WM_RECORD_PROGRESS:
      if (wParam != 0) {
        m_clock.Resume();
      } else {
        m_clock.Start();
        m_timers.Set(kRecordingTimer, kRecordingTickMs);
        m_selectionBar->Volume()->setEnabled(false);
        m_meter->Reset();
        m_meter->show();
        m_meterTimer.start();
      }
      m_recorderPhase = RecorderPhase::Recording;
      break;
    case WM_STATUS_READY:
      m_clock.Start();
      m_recorderPhase = RecorderPhase::Stopped;
      m_selectionBar->Volume()->setEnabled(true);
      m_meterTimer.stop();
      m_meter->hide();
      break;
    case WM_RECORDER_PAUSED:
      m_clock.Pause();
      m_recorderPhase = RecorderPhase::Paused;
      break;
    case WM_PLAY_PROGRESS:
      OnPlayProgress(wParam);
      break;
    case WM_PLAYER_STOPPED:
      m_playerPhase = PlayerPhase::Stopped;
      break;
    case WM_PLAYER_PAUSED:
      m_playerPhase = PlayerPhase::Paused;
      break;
    default:
      break;
  }
}

void CMainFrame::OnPlayerGraphEvent() {
  if (m_document->OnPlayerGraphEvent() == GraphOutcome::Running) return;
  m_timers.Kill(kPlaybackTimer);
  DropPlaybackGraph();
  m_timers.Set(kStatusClearTimer, kStatusClearMs);
  PostMessage(m_view, WM_PLAYER_STOPPED, reinterpret_cast<WPARAM>(&m_playbackSeconds), 0);
}

void CMainFrame::OnLoadFailed() {
  m_timers.Kill(kReadingBlinkTimer);
  m_fileBar->SetStatus(kLoadFailedText);
  m_timers.Set(kStatusClearTimer, kStatusClearMs);
}

void CMainFrame::OnPlayProgress(WPARAM graph) {
  m_timers.Kill(kPlaybackTimer);
  DropPlaybackGraph();
  AudioPlayer& player = m_document->Player();
  if (player.Graph() == nullptr || reinterpret_cast<const void*>(graph) != player.Graph()) return;
  m_playbackGraph = player.Graph();
  REFERENCE_TIME duration = 0;
  if (player.Seeking() && SUCCEEDED(player.Seeking()->GetDuration(&duration)))
    m_playbackDurationSeconds = duration * kSecondsPerReferenceTime;
  m_playerPhase = PlayerPhase::Playing;
  m_timers.Set(kPlaybackTimer, kPlaybackTickMs);
}

void CMainFrame::DropPlaybackGraph() { m_playbackGraph = nullptr; }

void CMainFrame::timerEvent(QTimerEvent* event) {
  const int timer = m_timers.IdOf(*event);
  if (timer != 0 && m_document) OnTimer(timer);
}

void CMainFrame::OnTimer(int timer) {
  switch (timer) {
    case kReadingBlinkTimer:
      m_fileBar->SetStatus(m_blink ? kReadingText : QString());
      m_blink = !m_blink;
      break;
    case kStatusClearTimer:
      m_timers.Kill(kStatusClearTimer);
      m_fileBar->SetStatus(QString());
      Post(WM_WAVEFORM_LOADED, 0, 0);
      Post(WM_SELECTION_CHANGED, 0, 0);
      break;
    case kRecordingTimer:
      OnRecordingTick();
      break;
    case kPlaybackTimer:
      OnPlaybackTick();
      break;
    case kUpdateCheckTimer:
      if (m_updateCheck) m_updateCheck->Start(this);
      break;
    default:
      break;
  }
}

void CMainFrame::OnRecordingTick() {
  const bool stopped = m_recorderPhase == RecorderPhase::Stopped;
  if (stopped) m_timers.Kill(kRecordingTimer);
  m_recordingSeconds = m_clock.ReadSeconds();
  const UINT message = m_recorderPhase == RecorderPhase::Recording ? WM_RECORD_PROGRESS
                       : m_recorderPhase == RecorderPhase::Paused  ? WM_RECORDER_PAUSED
                                                                   : WM_STATUS_READY;
  PostMessage(m_view, message, reinterpret_cast<WPARAM>(&m_recordingSeconds), 0);
  // After the stop the status line belongs to the load of the recording.
  if (!stopped)
    m_fileBar->SetStatus(QString::fromStdString(
        RecordingStatusText(m_document->ExportFormat(), m_document->GetRecorder().OverrunCount())));
}

void CMainFrame::OnPlaybackTick() {
  AudioPlayer& player = m_document->Player();
  // Record tears the playback graph down while it plays; then there is nothing left to show.
  if (m_playbackGraph == nullptr || player.Graph() != m_playbackGraph || !player.Seeking()) {
    m_timers.Kill(kPlaybackTimer);
    DropPlaybackGraph();
    m_playerPhase = PlayerPhase::Idle;
    return;
  }
  REFERENCE_TIME position = 0;
  if (SUCCEEDED(player.Seeking()->GetCurrentPosition(&position)))
    m_playbackSeconds = position * kSecondsPerReferenceTime;
  const UINT message = m_playerPhase == PlayerPhase::Playing  ? WM_PLAY_PROGRESS
                       : m_playerPhase == PlayerPhase::Paused ? WM_PLAYER_PAUSED
                                                              : WM_PLAYER_STOPPED;
  PostMessage(m_view, message, reinterpret_cast<WPARAM>(&m_playbackSeconds), 0);
  if (message == WM_PLAYER_STOPPED) {
    m_timers.Kill(kPlaybackTimer);
    DropPlaybackGraph();
  }
}

void CMainFrame::ApplyVolume() {
  const int position = m_selectionBar->Volume()->value();
  if (m_document) m_document->SetPlaybackVolume(position);
  m_settings.SetPlaybackVol(position);
}

void CMainFrame::ApplyToolTips() {
  const bool show = m_settings.GetShowToolTips();
  m_fileBar->ShowToolTips(show);
  m_selectionBar->ShowToolTips(show);
}

void CMainFrame::ShowHelp() {
  auto* help = findChild<HelpWindow*>();
  if (!help) help = new HelpWindow(this);
  help->show();
  help->raise();
}

void CMainFrame::ShowAbout() {
  CAboutBox about(this);
  about.exec();
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_volumeApplied) return;
  m_volumeApplied = true;
  ApplyVolume();
}

// The window has one size; a window manager that maximises it anyway is undone.
void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
}

// A recording still running or paused is stopped and saved as Stop does before the window
// goes, so closing (or a logout) never loses it.
void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_document && m_document->IsRecording()) m_document->OnStop();
  if (m_updateCheck) m_updateCheck->Shutdown(kUpdateWorkerGrace);
  event->accept();
}
