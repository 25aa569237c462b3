#pragma once
// Building blocks the export format pages share: their drop-down lists of numbers, radio
// buttons, slider tips and tooltip controls. User-interface thread only.

#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CVtToolTipCtrl;
class SettingsStore;

// An unsorted drop-down list with the control id `id`, holding `values` as decimal lines.
QComboBox* NewDropDownList(QWidget* parent, int id, const std::vector<int>& values = {});
QRadioButton* NewRadioButton(QWidget* parent, int id, const char* text);
// A horizontal slider from 0 to `maximum` with a tick every `tickStep` positions below it.
QSlider* NewTickedSlider(QWidget* parent, int id, int maximum, int tickStep);

// Selects `line`, or nothing.
void SelectLine(QComboBox* list, std::optional<int> line);
// None when nothing is selected.
std::optional<int> SelectedLine(const QComboBox* list);

// The page's tooltip control, one tool per (control id, text), active as "Show ToolTips" says.
CVtToolTipCtrl* NewPageToolTips(QWidget* window, const std::vector<std::pair<int, const char*>>& tools,
                                SettingsStore& settings);
// The slider's tip follows the user: the text for each new position the user scrolls to, and
// for its position when the mouse releases it.
void FollowSliderWithTip(QSlider* slider, CVtToolTipCtrl* toolTips, std::string (*tipFor)(int position));
