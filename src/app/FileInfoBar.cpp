#include "app/FileInfoBar.h"

#include <QGridLayout>

namespace {

QLabel* SunkenLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setMinimumWidth(1);
  return label;
}

}  // namespace

FileInfoBar::FileInfoBar(QWidget* parent)
    : QWidget(parent), m_name(SunkenLabel(this)), m_duration(SunkenLabel(this)), m_status(SunkenLabel(this)) {
  m_duration->setAlignment(Qt::AlignCenter);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setSpacing(3);
  layout->addWidget(m_name, 0, 0);
  layout->addWidget(m_duration, 0, 1);
  layout->addWidget(m_status, 1, 0, 1, 2);
  // 78 % and 19 % of the bar, the rest the gap between them.
  layout->setColumnStretch(0, 78);
  layout->setColumnStretch(1, 19);
  ShowToolTips(true);
}

void FileInfoBar::SetFileName(const QString& name) {
  m_fileName = name;
  ShowFileName();
  ShowToolTips(m_toolTips);
}

void FileInfoBar::SetDuration(const QString& duration) { m_duration->setText(duration); }

void FileInfoBar::SetStatus(const QString& status) { m_status->setText(status); }

void FileInfoBar::ShowToolTips(bool show) {
  m_toolTips = show;
  m_name->setToolTip(show ? (m_fileName.isEmpty() ? tr("Audio file name") : m_fileName) : QString());
  m_duration->setToolTip(show ? tr("Audio file duration") : QString());
  m_status->setToolTip(show ? tr("Status messages") : QString());
}

void FileInfoBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ShowFileName();
}

void FileInfoBar::ShowFileName() {
  const int room = m_name->contentsRect().width() - 2 * m_name->margin() - 4;
  m_name->setText(m_name->fontMetrics().elidedText(m_fileName, Qt::ElideMiddle, std::max(room, 0)));
}
