#include "app/SelectionVolumeBar.h"

#include <QHBoxLayout>
#include <QPixmap>

#include "app/ProjectIcons.h"

SelectionVolumeBar::SelectionVolumeBar(QWidget* parent)
    : QWidget(parent),
      m_selection(new QLabel(tr("Selection: 0:00"), this)),
      m_speaker(new QLabel(this)),
      m_volume(new QSlider(Qt::Horizontal, this)) {
  m_selection->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  m_selection->setMinimumWidth(150);
  m_speaker->setPixmap(QPixmap::fromImage(SpeakerImage(20)));
  m_volume->setRange(0, 1000);
  m_volume->setTickInterval(100);
  m_volume->setTickPosition(QSlider::TicksBelow);
  m_volume->setSingleStep(10);
  m_volume->setPageStep(100);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(m_selection);
  layout->addStretch(1);
  layout->addWidget(m_speaker);
  layout->addWidget(m_volume, 2);
  ShowToolTips(true);
}

void SelectionVolumeBar::SetSelectionText(const QString& text) { m_selection->setText(text); }

void SelectionVolumeBar::ShowToolTips(bool show) {
  m_selection->setToolTip(show ? tr("Duration of selection") : QString());
  m_volume->setToolTip(show ? tr("Playback volume control") : QString());
}
