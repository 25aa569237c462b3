#include "waveform/ui/CorvoxView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/WindowMessageEvent.h"
#include "engine/CorvoxDoc.h"
#include "engine/Messages.h"
#include "waveform/TimeText.h"
#include "waveform/ui/StatusFont.h"

namespace {

const QColor kBackground(0xCB, 0xE1, 0xFC);
const QColor kBoxColour(0x00, 0x00, 0x8B);
constexpr double kBoxPenWidth = 2.5;
const QColor kCursorColour(0xE7, 0x94, 0x92, 0xB4);
constexpr double kCursorPenWidth = 10;
const QColor kSelectionColour(0x30, 0x30, 0xF8, 0x32);
const QColor kTextColour(0x00, 0x00, 0x00);
const QColor kTextShadowColour(0xE7, 0x94, 0x92);

constexpr int kAutoScrollFirstMs = 400;
constexpr int kAutoScrollRepeatMs = 50;

const QString kReadyText = QStringLiteral("Player: Ready\nRecorder: Ready");
const QString kRecorderReadyText = QStringLiteral("Recorder: Ready");
const QString kPlayerStoppedText = QStringLiteral("Player Stopped: 00:00:00\nRecorder: Ready");

double SecondsAt(WPARAM wParam) { return wParam != 0 ? *reinterpret_cast<const double*>(wParam) : 0; }

}  // namespace

CCorvoxView::CCorvoxView(CCorvoxDoc& document, HWND mainWindow, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(&document), m_mainWindow(mainWindow), m_playerText(kReadyText) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFrameShape(QFrame::NoFrame);
  horizontalScrollBar()->setRange(0, 0);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(false);
}

void CCorvoxView::Post(UINT message, WPARAM wParam, LPARAM lParam) { PostWindowMessage(this, message, wParam, lParam); }

void CCorvoxView::OnInitialUpdate() {
  m_totalWidth = 0;
  horizontalScrollBar()->setRange(0, 0);
  if (m_document) m_document->SetupRecorder(true);
}

int CCorvoxView::ScrollPosition() const { return horizontalScrollBar()->value(); }

void CCorvoxView::OnUpdate(long hint) {
  if (hint == kWaveformLoadedHint && m_document) Relayout();
}

void CCorvoxView::Relayout() {
  m_totalWidth = WaveformWidth(m_document->Duration(), m_clientWidth);
  QScrollBar* bar = horizontalScrollBar();
  const int page = m_totalWidth / 10;
  bar->setRange(0, std::max(0, m_totalWidth - std::max(m_clientWidth, 0)));
  bar->setPageStep(std::max(page, 1));
  bar->setSingleStep(std::max(page / 10, 1));
  m_waveformLoaded = true;
  m_points.clear();
  m_selectionAnchor = m_selectionEnd = -1;
  m_selectionExists = false;
  m_cursorX = 0;
  bar->setValue(0);
  SelectionChanged();
  viewport()->update();
}

void CCorvoxView::SelectionChanged() { PostMessage(m_mainWindow, WM_SELECTION_CHANGED, 0, 0); }

void CCorvoxView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const QSize size = viewport()->size();
  if (size.width() != 0 && size.height() != 0) m_clientWidth = size.width();
  horizontalScrollBar()->setRange(0, std::max(0, m_totalWidth - std::max(m_clientWidth, 0)));
}

void CCorvoxView::scrollContentsBy(int, int) { viewport()->update(); }

void CCorvoxView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const int width = viewport()->width();
  painter.fillRect(QRect(0, 0, width, viewport()->height()), kBackground);
  if (!m_document) return;
  const bool recorderShown = m_recorderState == RecorderState::Recording || m_recorderState == RecorderState::Paused;
  if (!m_waveformLoaded || recorderShown) {
    if (m_recorderState == RecorderState::Ready) m_recorderText = kRecorderReadyText;
    DrawStatusBox(painter, m_recorderText, 10, -0.6);
  }
  if (!m_waveformLoaded) return;
  DrawWaveform(painter);
  if (!recorderShown) {
    if (m_playerState == PlayerState::Ready) m_playerText = kReadyText;
    const bool twoLines = m_playerState == PlayerState::Stopped || m_playerState == PlayerState::Ready;
    DrawStatusBox(painter, m_playerText, twoLines ? 2 : 10, -0.8);
  }
  const int s = ScrollPosition();
  if (m_selectionExists) {
    const int left = std::min(m_selectionAnchor, m_selectionEnd);
    const int right = std::max(m_selectionAnchor, m_selectionEnd);
    painter.fillRect(QRect(left - s, kWaveTop, right - left, kWaveBottom - kWaveTop), kSelectionColour);
  }
  if (m_playerState == PlayerState::Playing || m_playerState == PlayerState::Paused) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kCursorColour, kCursorPenWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(m_cursorX - s, kWaveBottom), QPointF(m_cursorX - s, kWaveTop));
  }
}

void CCorvoxView::DrawStatusBox(QPainter& painter, const QString& text, double textInset, double shadowShift) {
  const QRectF box(kStatusBoxMargin, kStatusBoxTop, m_clientWidth - 2 * kStatusBoxMargin,
                   kStatusBoxBottom - kStatusBoxTop);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(QPen(kBoxColour, kBoxPenWidth));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(box.normalized());
  painter.setFont(StatusFont());
  const QRectF textRect = box.normalized().adjusted(textInset, textInset, -textInset, -textInset);
  constexpr int kFlags = Qt::AlignHCenter | Qt::AlignTop;
  painter.setPen(kTextColour);
  painter.drawText(textRect, kFlags, text);
  painter.setPen(kTextShadowColour);
  painter.drawText(textRect.translated(shadowShift, shadowShift), kFlags, text);
  painter.restore();
}

void CCorvoxView::DrawWaveform(QPainter& painter) {
  VisibleWaveformPoints(m_document->WaveformValues(), m_totalWidth, ScrollPosition(), m_clientWidth, &m_points);
  if (m_points.empty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 1));
  QPoint previous(m_points.front().x, m_points.front().y);
  for (size_t i = 1; i < m_points.size(); ++i) {
    const QPoint next(m_points[i].x, m_points[i].y);
    painter.drawLine(previous, next);
    previous = next;
  }
  painter.restore();
}

void CCorvoxView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_document) return;
  viewport()->update();
  const QPoint point = event->position().toPoint();
  const bool inBand =
      point.x() >= 0 && point.x() < viewport()->width() && point.y() >= kWaveTop && point.y() <= kWaveBottom;
  if (inBand) {
    m_selectionAnchor = point.x() + ScrollPosition();
    m_dragging = true;
  }
  m_selectionExists = false;
  m_document->SetSelection(0, 0);
  SelectionChanged();
}

void CCorvoxView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging || m_totalWidth <= 0 || !m_document) return;
  m_selectionExists = true;
  const int x = std::clamp(event->position().toPoint().x(), 0, viewport()->width());
  const int logicalX = x + ScrollPosition();
  m_selectionEnd = logicalX;
  ArmAutoScroll(logicalX);
  double first = static_cast<double>(m_selectionAnchor) / m_totalWidth;
  double second = static_cast<double>(m_selectionEnd) / m_totalWidth;
  if (first > second) std::swap(first, second);
  viewport()->update();
  m_document->SetSelection(first, second);
  SelectionChanged();
}

void CCorvoxView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_dragging = false;
}

// A timer already counting down is left alone, so a drag held against an edge keeps its pace
// instead of being pushed back by every small move.
void CCorvoxView::ArmAutoScroll(int logicalX) {
  const int s = ScrollPosition();
  const bool rightZone = logicalX >= s + m_clientWidth - kAutoScrollZone && logicalX <= m_totalWidth;
  const bool leftZone = logicalX >= 0 && logicalX <= s + kAutoScrollZone;
  for (const auto& [timer, inZone] : {std::pair{kScrollRightTimer, rightZone}, std::pair{kScrollLeftTimer, leftZone}}) {
    if (!inZone)
      m_timers.Kill(timer);
    else if (!m_timers.IsRunning(timer))
      m_timers.Set(timer, kAutoScrollFirstMs);
  }
}

void CCorvoxView::timerEvent(QTimerEvent* event) {
  const int timer = m_timers.IdOf(*event);
  if (timer == kScrollLeftTimer || timer == kScrollRightTimer) AutoScroll(timer);
}

void CCorvoxView::AutoScroll(int timer) {
  if (QApplication::activeWindow() == nullptr) return;
  if (m_dragging)
    m_timers.Set(timer, kAutoScrollRepeatMs);
  else
    m_timers.Kill(timer);
  const auto action =
      timer == kScrollRightTimer ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
  QScrollBar* bar = horizontalScrollBar();
  QMetaObject::invokeMethod(
      bar, [bar, action] { bar->triggerAction(action); }, Qt::QueuedConnection);
}

void CCorvoxView::customEvent(QEvent* event) {
  if (const WindowMessageEvent* message = WindowMessageEvent::From(event))
    OnMessage(message->Message(), message->WParam());
}

void CCorvoxView::OnMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_RECORD_PROGRESS:
      m_recorderState = RecorderState::Recording;
      m_recorderText = QString::fromStdString(RunningTimeText("Recording : ", SecondsAt(wParam)));
      break;
    case WM_STATUS_READY:
      m_recorderState = RecorderState::Ready;
      m_playerState = PlayerState::Ready;
      m_playerText = kReadyText;
      break;
    case WM_RECORDER_PAUSED:
      m_recorderState = RecorderState::Paused;
      m_recorderText.replace(QStringLiteral("Recording"), QStringLiteral("Recorder Paused"));
      break;
    case WM_PLAY_PROGRESS:
      m_playerState = PlayerState::Playing;
      m_recorderState = RecorderState::OutOfView;
      m_playerText = QString::fromStdString(RunningTimeText("Playing : ", SecondsAt(wParam)));
      FollowCursor(SecondsAt(wParam));
      break;
    case WM_PLAYER_STOPPED:
      m_playerState = PlayerState::Stopped;
      m_recorderState = RecorderState::Ready;
      m_playerText = kPlayerStoppedText;
      viewport()->update();
      if (m_clientWidth < m_totalWidth)
        ScrollTo(StopScrollTarget(m_selectionExists, m_selectionAnchor, m_selectionEnd));
      break;
    case WM_PLAYER_PAUSED:
      m_playerState = PlayerState::Paused;
      m_playerText.replace(QStringLiteral("Playing"), QStringLiteral("Player Paused"));
      break;
    default:
      return;
  }
  viewport()->update();
}

void CCorvoxView::FollowCursor(double positionSeconds) {
  m_cursorX = m_document ? CursorX(m_totalWidth, m_document->Duration(), positionSeconds) : 0;
  const int s = ScrollPosition();
  if (m_cursorX + kAutoScrollZone > s + m_clientWidth) ScrollTo(s + m_clientWidth);
}

void CCorvoxView::ScrollTo(int logicalX) { horizontalScrollBar()->setValue(logicalX); }
