// Every tab of the export format dialog at the default font: each text has the room it asks
// for. The pictures are kept as test artifacts to be looked at.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

#include "AppTestRig.h"
#include "formats/COptionsDlg.h"
#include "platform/codecs/AudioCompressorCategory.h"

namespace {

// The controls of `window` narrower or lower than their texts need.
std::vector<std::string> CrampedTexts(QWidget* window) {
  std::vector<std::string> cramped;
  const auto check = [&](QWidget* control, const QString& text) {
    if (!control->isVisible()) return;
    const QSize wanted = control->minimumSizeHint().expandedTo(control->sizeHint());
    if (control->width() < wanted.width() || control->height() < wanted.height()) cramped.push_back(text.toStdString());
  };
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (!label->wordWrap()) {
      check(label, label->text());
    } else if (label->isVisible() && label->height() < label->heightForWidth(label->width())) {
      cramped.push_back(label->text().toStdString());
    }
  }
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) check(button, button->text());
  for (QComboBox* list : window->findChildren<QComboBox*>())
    if (list->isVisible() && list->width() < list->minimumSizeHint().width())
      cramped.push_back(list->objectName().toStdString());
  for (QGroupBox* group : window->findChildren<QGroupBox*>())
    if (group->isVisible() && group->width() < group->minimumSizeHint().width())
      cramped.push_back(group->title().toStdString());
  return cramped;
}

TEST(OptionsDlgLayout, EveryTabFitsItsTexts) {
  AppTestRig rig;
  RegisterAudioCompressors();
  COptionsDlg dialog(rig.Settings(), nullptr);
  const std::pair<int, const char*> formats[] = {{200, "wma"}, {201, "mp3"}, {202, "ogg"}, {203, "wav"}};
  for (const auto& [format, name] : formats) {
    rig.Settings().SetFormat(format);
    QDialog* window = dialog.CreateWindow();
    window->show();
    for (int tab = 0; tab < 2; ++tab) {
      dialog.Sheet().SetActivePage(tab);
      AppTestRig::Pump(std::chrono::milliseconds(20));
      EXPECT_EQ(CrampedTexts(window), std::vector<std::string>()) << name << " tab " << tab;
      if (tab == 1 || format == 200)
        AppTestRig::KeepArtifact(window->grab().toImage(),
                                 std::string("options-") + (tab == 0 ? "chooser" : name) + ".png");
    }
    window->close();
  }
}

}  // namespace
