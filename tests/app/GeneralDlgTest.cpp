#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolTip>

#include "app/AppTestRig.h"
#include "app/CGeneralDlg.h"
#include "app/ControlId.h"
#include "app/GeneralPageIds.h"
#include "app/SheetDialog.h"

namespace {

// Answers the save-file dialog with `answer` (cancels when empty) and keeps what was asked.
class SaveDialogAnswer {
 public:
  explicit SaveDialogAnswer(std::string answer)
      : m_answer(std::move(answer)),
        m_previous(SetSaveFileDialogHandler([this](HWND, const SaveFileDialogOptions& options, std::string* path) {
          asked.push_back(options);
          if (m_answer.empty()) return false;
          *path = m_answer;
          return true;
        })) {}
  ~SaveDialogAnswer() { SetSaveFileDialogHandler(std::move(m_previous)); }

  std::vector<SaveFileDialogOptions> asked;

 private:
  std::string m_answer;
  SaveFileDialogHandler m_previous;
};

class GeneralDlgTest : public testing::Test {
 protected:
  QDialog* Open() {
    QDialog* window = m_dialog.CreateWindow();
    window->show();
    return window;
  }
  void ShowTab(int index) { m_dialog.Sheet().SetActivePage(index); }
  // Kept to be looked at: the dialog as the current tab shows it.
  void KeepPicture(const std::string& name) {
    AppTestRig::Pump(std::chrono::milliseconds(20));
    AppTestRig::KeepArtifact(m_dialog.Window()->grab().toImage(), "general-options-" + name + ".png");
  }
  template <typename Control>
  Control* Find(int id) {
    return FindControl<Control>(m_dialog.Window(), id);
  }
  void Press(QDialogButtonBox::StandardButton which) {
    m_dialog.Window()->findChild<QDialogButtonBox*>()->button(which)->click();
  }
  uint32_t Stored(const DwordSetting& setting, uint32_t missing = 99) {
    uint32_t value = missing;
    m_rig.Settings().ReadDword(setting, value);
    return value;
  }
  // Whether a tooltip shows after hovering the control.
  static QString TipShownOver(QWidget* control) {
    // A tip goes a little after it is told to.
    QToolTip::hideText();
    EXPECT_TRUE(AppTestRig::PumpUntil([] { return !QToolTip::isVisible(); }));
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(control, &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  }

  AppTestRig m_rig;
  CGeneralDlg m_dialog{m_rig.Settings(), nullptr};
};

}  // namespace

TEST_F(GeneralDlgTest, ShowsItsTabsAndControlsWithTheirTexts) {
  QDialog* window = Open();
  EXPECT_EQ(window->windowTitle(), "General Options");
  QTabWidget* tabs = m_dialog.Sheet().Window();
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), "Manage Filenames");
  EXPECT_EQ(tabs->tabText(1), "Audio Options");
  EXPECT_EQ(tabs->tabText(2), "Miscellaneous");
  EXPECT_EQ(tabs->parentWidget(), Find<QWidget>(kSheetPlaceholderId));
  EXPECT_EQ(Find<QPushButton>(IDC_CHANGE_TEMPLATE)->text(), "&Change");
  EXPECT_EQ(Find<QRadioButton>(IDC_AUTO_NAMING)->text(), "If file exists, au&tomatically create properly named files");
  EXPECT_EQ(Find<QRadioButton>(IDC_OVERWRITE)->text(), "If file exists, &overwrite it (not recommended)");
  KeepPicture("filenames");
  ShowTab(1);
  EXPECT_EQ(Find<QCheckBox>(IDC_PREVIEW)->text(), "&Preview audio while recording");
  KeepPicture("audio");
  ShowTab(2);
  EXPECT_EQ(Find<QCheckBox>(IDC_SHOW_TIPS)->text(), "&Show tool tips for various controls");
  EXPECT_EQ(Find<QCheckBox>(IDC_AUTO_UPDATE)->text(), "Au&tomatically check for updates and notify me");
  KeepPicture("miscellaneous");

  // A second showing keeps three tabs and their captions.
  Press(QDialogButtonBox::Cancel);
  Open();
  ASSERT_EQ(m_dialog.Sheet().Window()->count(), 3);
  EXPECT_EQ(m_dialog.Sheet().Window()->tabText(2), "Miscellaneous");
  EXPECT_FALSE(m_dialog.AudioPage().HasWindow());
}

TEST_F(GeneralDlgTest, OkWithoutOpeningTheOtherTabsStoresOnlyTheFilenames) {
  m_rig.Settings().SetFormat(202);
  Open();
  Find<QRadioButton>(IDC_OVERWRITE)->setChecked(true);
  Press(QDialogButtonBox::Ok);
  EXPECT_FALSE(m_dialog.Window()->isVisible());

  std::string stored;
  EXPECT_TRUE(m_rig.Settings().GetAudioFilename(stored));
  EXPECT_EQ(stored, m_rig.MusicFolder() + "/Vantro Audio/vantroaudio.ogg");
  EXPECT_EQ(Stored(kOverwritingBehaviourSetting), 1u);
  EXPECT_EQ(Stored(kPreviewAudioSetting), 99u);
  EXPECT_EQ(Stored(kShowToolTipsSetting), 99u);
  EXPECT_EQ(Stored(kAutoUpdateSetting), 99u);
}

TEST_F(GeneralDlgTest, PreviewKeepsTheOtherBitsAcrossShowings) {
  m_rig.Settings().SetPreviewAudio(5);
  Open();
  ShowTab(1);
  ASSERT_FALSE(Find<QCheckBox>(IDC_PREVIEW)->isChecked());
  Find<QCheckBox>(IDC_PREVIEW)->click();
  Press(QDialogButtonBox::Ok);
  EXPECT_EQ(Stored(kPreviewAudioSetting), 7u);

  Open();
  ShowTab(1);
  ASSERT_TRUE(Find<QCheckBox>(IDC_PREVIEW)->isChecked());
  Find<QCheckBox>(IDC_PREVIEW)->click();
  Press(QDialogButtonBox::Ok);
  EXPECT_EQ(Stored(kPreviewAudioSetting), 5u);
}

TEST_F(GeneralDlgTest, TipsOffHideTheExplanationsButNotTheTemplate) {
  m_rig.Settings().SetShowToolTips(false);
  m_rig.Settings().SetAudioFilename("/rec/take.wma");
  Open();
  EXPECT_FALSE(m_dialog.FilenamesPage().ToolTips()->IsActive());
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_AUTO_NAMING)).isEmpty());
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_TEMPLATE)).contains("/rec/take.wma"));

  // The template tip follows the edit box.
  Find<QLineEdit>(IDC_TEMPLATE)->setText("/rec/other.wma");
  EXPECT_EQ(m_dialog.FilenamesPage().TemplateTip()->TipText(Find<QWidget>(IDC_TEMPLATE)), "/rec/other.wma");

  ShowTab(1);
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_PREVIEW)).isEmpty());
  ShowTab(2);
  ASSERT_FALSE(Find<QCheckBox>(IDC_SHOW_TIPS)->isChecked());
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_AUTO_UPDATE)).isEmpty());
}

TEST_F(GeneralDlgTest, TheTipsBoxSwitchesItsPagesTipsAtOnceButStoresOnlyOnOk) {
  Open();
  EXPECT_TRUE(m_dialog.FilenamesPage().ToolTips()->IsActive());
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_CHANGE_TEMPLATE)).contains("Change the current filename template"));
  ShowTab(2);
  Find<QCheckBox>(IDC_SHOW_TIPS)->click();
  EXPECT_FALSE(m_dialog.MiscellaneousPage().ToolTips()->IsActive());
  EXPECT_TRUE(TipShownOver(Find<QWidget>(IDC_AUTO_UPDATE)).isEmpty());
  EXPECT_EQ(Stored(kShowToolTipsSetting), 99u);
  Find<QCheckBox>(IDC_SHOW_TIPS)->click();
  EXPECT_TRUE(m_dialog.MiscellaneousPage().ToolTips()->IsActive());
  Find<QCheckBox>(IDC_SHOW_TIPS)->click();
  Find<QCheckBox>(IDC_AUTO_UPDATE)->click();
  Press(QDialogButtonBox::Ok);
  EXPECT_EQ(Stored(kShowToolTipsSetting), 0u);
  EXPECT_EQ(Stored(kAutoUpdateSetting), 0u);
}

TEST_F(GeneralDlgTest, TheChosenDestinationFillsTheEditBoxAndIsStoredOnlyOnOk) {
  m_rig.Settings().SetFormat(201);
  m_rig.Settings().SetAudioFilename("/rec/take.mp3");
  SaveDialogAnswer answer("/rec/new/song.mp3");
  Open();
  Find<QPushButton>(IDC_CHANGE_TEMPLATE)->click();
  ASSERT_EQ(answer.asked.size(), 1u);
  EXPECT_EQ(answer.asked[0].initialFile, "/rec/take.mp3");
  EXPECT_EQ(answer.asked[0].defaultExtension, ".mp3");
  EXPECT_TRUE(answer.asked[0].overwritePrompt);
  EXPECT_EQ(Find<QLineEdit>(IDC_TEMPLATE)->text(), "/rec/new/song.mp3");
  Press(QDialogButtonBox::Cancel);
  std::string stored;
  m_rig.Settings().GetAudioFilename(stored);
  EXPECT_EQ(stored, "/rec/take.mp3");

  Open();
  EXPECT_EQ(Find<QLineEdit>(IDC_TEMPLATE)->text(), "/rec/take.mp3");
  // The chooser starts from the edit box as it is, and asks no question while overwriting.
  Find<QLineEdit>(IDC_TEMPLATE)->setText("/rec/typed.mp3");
  Find<QRadioButton>(IDC_OVERWRITE)->setChecked(true);
  Find<QPushButton>(IDC_CHANGE_TEMPLATE)->click();
  ASSERT_EQ(answer.asked.size(), 2u);
  EXPECT_EQ(answer.asked[1].initialFile, "/rec/typed.mp3");
  EXPECT_FALSE(answer.asked[1].overwritePrompt);
  Press(QDialogButtonBox::Ok);
  m_rig.Settings().GetAudioFilename(stored);
  EXPECT_EQ(stored, "/rec/new/song.mp3");
}

