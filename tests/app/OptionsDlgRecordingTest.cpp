// A setting chosen in the export format dialog is what the next recording uses: the MP3
// bitrate and sampling rate picked on the page, through the document's dialog command, are
// those of the recorded file as ffprobe reads it.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "AppTestRig.h"
#include "app/ControlId.h"
#include "engine/CommandIds.h"
#include "engine/CorvoxDoc.h"
#include "engine/Messages.h"
#include "formats/COptionsDlg.h"
#include "platform/ui/HeadlessFrame.h"
#include "support/MessageBoxCapture.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"

namespace {

TEST(OptionsDlgRecording, TheMp3BitrateAndRateChosenOnThePageAreTheRecordingsOwn) {
  AppTestRig rig;
  ScopedEnvironment unpaced("CORVOX_VIRTUAL_PACE", "0");
  ScopedEnvironment input("CORVOX_VIRTUAL_INPUT", rig.WriteTone("in.wav", 1.0, 44100));
  HeadlessFrame frame;
  MessageBoxCapture boxes;
  CCorvoxDoc document(rig.Settings(), &frame);
  auto owned = std::make_unique<COptionsDlg>(rig.Settings(), nullptr);
  COptionsDlg& dialog = *owned;
  document.SetDialog(ConfigurationDialog::ExportFormats, std::move(owned));

  bool chosen = false;
  QTimer::singleShot(0, [&] {
    FindControl<QRadioButton>(dialog.ChooserPage().Window(), 1020)->click();
    dialog.Sheet().SetActivePage(1);
    QWidget* page = dialog.Mp3Page().Window();
    auto* bitrate = FindControl<QComboBox>(page, 1027);
    bitrate->setCurrentIndex(bitrate->findText("192"));
    auto* rate = FindControl<QComboBox>(page, 1041);
    rate->setCurrentIndex(rate->findText("48000"));
    chosen = true;
    FindControl<QPushButton>(dialog.Window(), IDOK)->click();
  });
  ASSERT_TRUE(document.OnCommand(ID_EXPORT_FORMATS));
  ASSERT_TRUE(chosen);
  ASSERT_EQ(document.ExportFormat(), 201);

  document.OnRecord();
  ASSERT_TRUE(document.IsRecording());
  bool loaded = false;
  ASSERT_TRUE(AppTestRig::PumpUntil([&] {
    MSG message;
    while (frame.Loop().GetMessage(message, std::chrono::milliseconds(0))) {
      document.OnFrameMessage(message.message, message.wParam);
      if (message.message == WM_WAVEFORM_LOADED) loaded = true;
    }
    return loaded;
  }));
  for (const auto& box : boxes.Boxes()) ADD_FAILURE() << box.text;
  ASSERT_TRUE(document.LastRecording().saved);

  const ProcessResult probe =
      RunProcess({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,bit_rate,sample_rate", "-of",
                  "default=noprint_wrappers=1", document.CurrentFile()});
  ASSERT_EQ(probe.exitCode, 0) << probe.err;
  EXPECT_EQ(probe.err, "");
  EXPECT_NE(probe.out.find("codec_name=mp3\n"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("sample_rate=48000\n"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("bit_rate=192000\n"), std::string::npos) << probe.out;
}

}  // namespace
