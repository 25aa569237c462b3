#include "formats/CTabPage1.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "formats/FormatPageWidgets.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"

CTabPage1::CTabPage1(SettingsStore& settings, std::function<void(int format)> onFormatChosen)
    : CVTPropertyPage("Audio Format"), m_settings(settings), m_onFormatChosen(std::move(onFormatChosen)) {}

void CTabPage1::CreateControls(QWidget* window) {
  static const char* const kTexts[] = {
      "&WMA Files - Windows Media Audio (9)",
      "&MP3 Files - MPEG-1, Layer 3 Audio",
      "&Ogg Files - Ogg-Vorbis Audio",
      "WA&V Files - Uncompressed and Compressed ",
  };
  auto* group = new QGroupBox(QStringLiteral("Choose audio format"), window);
  auto* groupLayout = new QVBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  for (int format = kFormatWma; format <= kFormatWav; ++format) {
    QRadioButton* button = NewRadioButton(group, kFirstRadioId + format - kFormatWma, kTexts[format - kFormatWma]);
    buttons->addButton(button);
    groupLayout->addWidget(button);
    QObject::connect(button, &QRadioButton::clicked, window, [this, format] { m_onFormatChosen(format); });
  }
  groupLayout->addStretch();
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);
}

void CTabPage1::OnInitDialog() {
  int format = kFormatWma;
  m_settings.GetFormat(format);
  if (auto* button = FindControl<QRadioButton>(Window(), kFirstRadioId + format - kFormatWma)) button->setChecked(true);
}
