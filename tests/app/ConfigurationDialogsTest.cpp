#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "app/AppRig.h"
#include "app/ControlId.h"
#include "app/GeneralPageIds.h"
#include "engine/CommandIds.h"
#include "formats/CTabPage1.h"
#include "mixer/ui/CAudSrcPage2.h"
#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/shell/PathHelpers.h"

namespace {

// Runs `command` on the document; the modal dialog it opens is handed to `answer`, which must
// close it. Returns the dialog's title, empty when none opened.
QString RunAndAnswer(AppRig& rig, UINT command, const std::function<void(QDialog*)>& answer) {
  QString title;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    title = dialog->windowTitle();
    answer(dialog);
  });
  poll.start(10);
  // Nothing answers a dialog that was never shown; the poll just ends with the command.
  rig.Document().OnCommand(command);
  return title;
}

void Press(QDialog* dialog, QDialogButtonBox::StandardButton which) {
  dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

}  // namespace

TEST(ConfigurationDialogsTest, GeneralOptionsCancelChangesNothingAndOkPreparesTheRecorderForTheNewTemplate) {
  AppRig rig;
  ASSERT_TRUE(rig.StartRecordingWav());
  const std::string before = rig.Document().FileNameTemplate();
  const IGraphBuilder* graph = rig.Document().GetRecorder().Graph();
  const auto answer = [&](const std::string& name, QDialogButtonBox::StandardButton button) {
    return RunAndAnswer(rig, ID_GENERAL_SETTINGS, [&](QDialog* dialog) {
      FindControl<QLineEdit>(dialog, IDC_TEMPLATE)->setText(QString::fromStdString(rig.Folder().File(name)));
      Press(dialog, button);
    });
  };

  EXPECT_EQ(answer("other.wav", QDialogButtonBox::Cancel), "General Options");
  EXPECT_EQ(rig.Document().FileNameTemplate(), before);
  EXPECT_EQ(rig.Document().GetRecorder().Graph(), graph);

  EXPECT_EQ(answer("takes.ogg", QDialogButtonBox::Ok), "General Options");
  // The recording format's extension replaces the one typed.
  EXPECT_EQ(rig.Document().FileNameTemplate(), rig.Folder().File("takes.wav"));
  EXPECT_EQ(rig.Document().OutputFile(), rig.Folder().File("takes.wav"));
  EXPECT_TRUE(rig.Document().GetRecorder().IsBuilt());
}

TEST(ConfigurationDialogsTest, ExportFormatCancelChangesNothingAndOkRebuildsTheRecorderInTheChosenFormat) {
  AppRig rig;
  ASSERT_TRUE(rig.StartRecordingWav());
  const IGraphBuilder* graph = rig.Document().GetRecorder().Graph();
  const auto answer = [&](int format, QDialogButtonBox::StandardButton button) {
    return RunAndAnswer(rig, ID_EXPORT_FORMATS, [&](QDialog* dialog) {
      FindControl<QRadioButton>(dialog, CTabPage1::kFirstRadioId + format - 200)->click();
      Press(dialog, button);
    });
  };

  EXPECT_EQ(answer(202, QDialogButtonBox::Cancel), "Configure audio recorder");
  EXPECT_EQ(rig.Document().ExportFormat(), 203);
  EXPECT_EQ(rig.Document().GetRecorder().Graph(), graph);

  EXPECT_EQ(answer(201, QDialogButtonBox::Ok), "Configure audio recorder");
  EXPECT_EQ(rig.Document().ExportFormat(), 201);
  EXPECT_EQ(PathFindExtension(rig.Document().OutputFile()), ".mp3");
  EXPECT_TRUE(rig.Document().GetRecorder().IsBuilt());
}

TEST(ConfigurationDialogsTest, AudioSourceCancelChangesNothingAndOkRebuildsTheRecorderWithTheNewFormat) {
  AppRig rig;
  ASSERT_TRUE(rig.StartRecordingWav());
  const auto capturedRateHz = [&] {
    return rig.Document().GetRecorder().CaptureFilter()->CapturePin()->Format().nSamplesPerSec;
  };
  ASSERT_EQ(capturedRateHz(), 44100u);
  const auto answer = [&](QDialogButtonBox::StandardButton button) {
    return RunAndAnswer(rig, ID_AUDIO_HARDWARE, [&](QDialog* dialog) {
      dialog->findChild<QTabWidget*>()->setCurrentIndex(1);
      auto* rates = FindControl<QComboBox>(dialog, CAudSrcPage2::kSampleRateList);
      rates->setCurrentIndex(rates->findText(QStringLiteral("22050")));
      Press(dialog, button);
    });
  };

  EXPECT_EQ(answer(QDialogButtonBox::Cancel), "Audio Device Settings");
  EXPECT_EQ(capturedRateHz(), 44100u);

  EXPECT_EQ(answer(QDialogButtonBox::Ok), "Audio Device Settings");
  EXPECT_EQ(capturedRateHz(), 22050u);
}
