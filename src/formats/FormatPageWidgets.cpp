#include "formats/FormatPageWidgets.h"

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "settings/SettingsStore.h"

QComboBox* NewDropDownList(QWidget* parent, int id, const std::vector<int>& values) {
  auto* list = new QComboBox(parent);
  SetControlId(list, id);
  list->setInsertPolicy(QComboBox::NoInsert);
  for (const int value : values) list->addItem(QString::number(value));
  return list;
}

QRadioButton* NewRadioButton(QWidget* parent, int id, const char* text) {
  auto* button = new QRadioButton(QString::fromUtf8(text), parent);
  SetControlId(button, id);
  return button;
}

QSlider* NewTickedSlider(QWidget* parent, int id, int maximum, int tickStep) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  SetControlId(slider, id);
  slider->setRange(0, maximum);
  slider->setTickInterval(tickStep);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(tickStep);
  return slider;
}

void SelectLine(QComboBox* list, std::optional<int> line) { list->setCurrentIndex(line.value_or(-1)); }

std::optional<int> SelectedLine(const QComboBox* list) {
  const int line = list->currentIndex();
  if (line < 0) return std::nullopt;
  return line;
}

CVtToolTipCtrl* NewPageToolTips(QWidget* window, const std::vector<std::pair<int, const char*>>& tools,
                                SettingsStore& settings) {
  auto* toolTips = new CVtToolTipCtrl(window);
  for (const auto& [id, text] : tools) toolTips->AddTool(window, id, text);
  toolTips->Activate(settings.GetShowToolTips());
  return toolTips;
}

void FollowSliderWithTip(QSlider* slider, CVtToolTipCtrl* toolTips, std::string (*tipFor)(int position)) {
  // A user's action only, not the page setting the stored position; when it is reported the
  // new position is already the slider's.
  QObject::connect(slider, &QSlider::actionTriggered, toolTips,
                   [slider, toolTips, tipFor] { toolTips->UpdateTipText(slider, tipFor(slider->sliderPosition())); });
  QObject::connect(slider, &QSlider::sliderReleased, toolTips,
                   [slider, toolTips, tipFor] { toolTips->UpdateTipText(slider, tipFor(slider->value())); });
}
