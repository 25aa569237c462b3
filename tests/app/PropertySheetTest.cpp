// The property sheet's page windows come and go as the dialogs rely on: made when a tab is
// first shown, kept while the sheet lives, gone when removed; and tips show only while active.

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QTabWidget>
#include <QToolTip>
#include <gtest/gtest.h>

#include "AppTestRig.h"
#include "app/CVTPropertyPage.h"
#include "app/CVTPropertySheet.h"
#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"

namespace {

class CountingPage : public CVTPropertyPage {
 public:
  using CVTPropertyPage::CVTPropertyPage;
  int created = 0;
  int activated = 0;

 protected:
  void CreateControls(QWidget* window) override { SetControlId(new QCheckBox("&Check", window), 1055); }
  void OnInitDialog() override { ++created; }
  void OnSetActive() override { ++activated; }
};

struct SheetTest : ::testing::Test {
  AppTestRig rig;
  QWidget dialog;
  CountingPage first{"First"};
  CountingPage second{"Second"};
  CVTPropertySheet sheet;
};

TEST_F(SheetTest, PageWindowsAreMadeWhenTheirTabIsFirstShown) {
  sheet.AddPage(&first);
  sheet.AddPage(&second);
  QTabWidget* tabs = sheet.Create(&dialog);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(1), "Second");
  EXPECT_TRUE(first.HasWindow());
  EXPECT_FALSE(second.HasWindow());

  sheet.SetActivePage(1);
  sheet.SetActivePage(0);
  sheet.SetActivePage(1);
  EXPECT_EQ(second.created, 1);
  EXPECT_EQ(second.activated, 2);
  EXPECT_EQ(first.activated, 2);
  EXPECT_NE(FindControl<QCheckBox>(second.Window(), 1055), nullptr);
}

TEST_F(SheetTest, RemovingAPageDestroysItsWindowAndAnAddedPageStartsAfresh) {
  sheet.AddPage(&first);
  sheet.AddPage(&second);
  sheet.Create(&dialog);
  sheet.SetActivePage(1);
  FindControl<QCheckBox>(second.Window(), 1055)->setChecked(true);

  sheet.RemovePage(1);
  EXPECT_FALSE(second.HasWindow());
  EXPECT_EQ(sheet.GetPageCount(), 1);
  sheet.AddPage(&second);
  sheet.SetTabCaption(1, "Again");
  EXPECT_EQ(sheet.Window()->tabText(1), "Again");
  EXPECT_FALSE(second.HasWindow());
  sheet.SetActivePage(1);
  EXPECT_FALSE(FindControl<QCheckBox>(second.Window(), 1055)->isChecked());
  EXPECT_EQ(second.created, 2);
}

TEST_F(SheetTest, ClosingTheDialogTakesThePageWindowsButKeepsThePages) {
  auto* window = new QWidget;
  sheet.AddPage(&first);
  sheet.Create(window);
  EXPECT_TRUE(first.HasWindow());
  delete window;
  EXPECT_FALSE(first.HasWindow());
  EXPECT_EQ(sheet.Window(), nullptr);

  sheet.Create(&dialog);
  EXPECT_TRUE(first.HasWindow());
  EXPECT_EQ(first.created, 2);
}

TEST(ToolTipTest, TipsShowOnlyWhileActiveAndLongOnesWrap) {
  AppTestRig rig;
  QWidget page;
  auto* control = new QCheckBox("&Check", &page);
  SetControlId(control, 1054);
  auto* tips = new CVtToolTipCtrl(&page);
  EXPECT_FALSE(tips->AddTool(&page, 9999, "missing"));
  const std::string longTip =
      "Check this if you want to preview audio while recording or setup for recording\nUseful in calibrating your microphone.";
  ASSERT_TRUE(tips->AddTool(&page, 1054, longTip));
  EXPECT_EQ(tips->TipText(control), longTip);
  EXPECT_TRUE(tips->ShownText(control).contains("width=\"300\""));
  EXPECT_TRUE(tips->ShownText(control).contains("<br>"));

  tips->UpdateTipText(control, "Short");
  EXPECT_FALSE(tips->ShownText(control).contains("width="));
  ASSERT_TRUE(tips->AddTool(control, longTip, false));
  EXPECT_FALSE(tips->ShownText(control).contains("width="));

  page.show();
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
  tips->Activate(false);
  QApplication::sendEvent(control, &help);
  EXPECT_FALSE(QToolTip::isVisible());
  tips->Activate(true);
  QApplication::sendEvent(control, &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_TRUE(QToolTip::text().contains("preview audio"));
  QToolTip::hideText();
}

}  // namespace
