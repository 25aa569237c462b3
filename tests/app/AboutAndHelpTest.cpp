#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QTextBrowser>
#include <QTimer>

#include "app/AboutBox.h"
#include "app/AppRig.h"
#include "app/FrameIds.h"
#include "app/HelpWindow.h"
#include "app/HyperLink.h"
#include "engine/CommandIds.h"
#include "update/UpdateServer.h"

TEST(AboutBoxTest, ShowsTheProductVersionAndALinkInItsColours) {
  AppTestRig rig;
  CAboutBox about;
  EXPECT_EQ(about.windowTitle(), "About Vantro Audio Recorder");
  EXPECT_EQ(about.VersionText(), "Product Version: " + QString::fromStdString(ProductVersion()));
  EXPECT_FALSE(ProductVersion().empty());
  CHyperLink* link = about.Link();
  EXPECT_EQ(link->text(), "Vantro Audio Recorder Website");
  // Colour reference 0x395d2f is red 47, green 93, blue 57.
  EXPECT_EQ(link->CurrentColour(), QColor(47, 93, 57));
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(link, &enter);
  EXPECT_EQ(link->CurrentColour(), QColor(47, 167, 237));
}

TEST(HelpTest, TheHelpButtonAndF1OpenTheGuideThatComesWithTheProgram) {
  AppRig rig;
  ASSERT_TRUE(rig.Start());
  // The button asks the document, which sends the framework's help command back.
  rig.Frame().RunCommand(ID_HELP);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] {
    auto* help = rig.Frame().findChild<HelpWindow*>();
    return help && help->isVisible();
  }));
  auto* help = rig.Frame().findChild<HelpWindow*>();
  EXPECT_TRUE(help->Browser()->toPlainText().contains("Recording"));
  help->close();
  rig.Frame().RunCommand(ID_HELP_TOPICS);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(rig.Frame().findChildren<HelpWindow*>().size(), 1);
}

TEST(AboutBoxTest, TheAboutCommandShowsTheBoxModally) {
  AppRig rig;
  ASSERT_TRUE(rig.Start());
  QString title;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    title = modal->windowTitle();
    modal->close();
  });
  rig.Frame().RunCommand(ID_APP_ABOUT);
  EXPECT_EQ(title, "About Vantro Audio Recorder");
}
