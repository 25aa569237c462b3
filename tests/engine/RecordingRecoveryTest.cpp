// Recovery of recordings an earlier session left cut off, alone and through the document.

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/DocumentFixture.h"
#include "engine/RecordingMarker.h"
#include "engine/RecordingRecovery.h"
#include "platform/media/FileParts.h"
#include "settings/ExportFormat.h"
#include "support/Process.h"

namespace {

namespace fs = std::filesystem;
using Found = RecoveryReport::Found;

class RecordingRecovery : public DocumentFixture {
 protected:
  std::string Temporary() const { return TemporaryRecordingFile(TempFolder()); }
  std::string MarkerFile() const { return RecordingMarkerPath(TempFolder()); }
  std::string Music(const std::string& name) const { return MusicFolder() + "/" + name; }

  // A WAV recording of `frames` stereo frames cut off before its writer's stop: sizes unknown.
  static std::vector<uint8_t> CutOffWav(uint32_t frames) {
    std::vector<int32_t> values(frames * 2);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int32_t>(i % 2000) - 1000;
    std::vector<uint8_t> bytes = WavBytes(WavLayout{}, PcmBytes(16, values));
    PutLe32(bytes.data() + 4, 0xFFFFFFFF);
    PutLe32(bytes.data() + 40, 0xFFFFFFFF);
    bytes.push_back(0x7F);  // half a frame more
    return bytes;
  }

  RecordingMarker Mark(pid_t pid) {
    RecordingMarker marker = MakeRecordingMarker(kFormatWav, "44100 Hz, 16-bit, 2 channels", Music("take.wav"));
    marker.pid = pid;
    EXPECT_TRUE(WriteRecordingMarker(MarkerFile(), marker));
    return marker;
  }

  RecoveryReport Recover() { return RecoverInterruptedRecording(Temporary(), m_env.Settings()); }

  static uint32_t DataBytes(const std::string& path) {
    const std::vector<uint8_t> bytes = ScratchFolder::Read(path);
    return bytes.size() < 44 ? 0 : GetLe32(bytes.data() + 40);
  }
};

TEST_F(RecordingRecovery, SavesUnderTheNextFreeNameOnceAndNeverReplaces) {
  m_env.Settings().SetOverwritingBehaviour(true);
  fs::create_directories(MusicFolder());
  ScratchFolder::Write(Music("vantroaudio.wav"), {'k', 'e', 'e', 'p'});
  ScratchFolder::Write(Temporary(), CutOffWav(44100));
  Mark(DeadProcessId());

  const RecoveryReport report = Recover();
  ASSERT_EQ(report.found, Found::Recovered) << report.problem;
  ASSERT_EQ(report.recovered.size(), 1u);
  EXPECT_EQ(report.recovered[0].file, Music("vantroaudio001.wav"));
  EXPECT_DOUBLE_EQ(report.recovered[0].seconds, 1.0);
  EXPECT_EQ(DataBytes(report.recovered[0].file), 44100u * 4);
  EXPECT_EQ(ScratchFolder::Read(Music("vantroaudio.wav")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(fs::exists(Temporary()));
  EXPECT_FALSE(fs::exists(MarkerFile()));
  const std::string said = DescribeRecovery(report);
  EXPECT_NE(said.find(Music("vantroaudio001.wav")), std::string::npos) << said;
  EXPECT_NE(said.find(Music("take.wav")), std::string::npos) << said;

  const RecoveryReport again = Recover();
  EXPECT_EQ(again.found, Found::Nothing);
  EXPECT_EQ(DescribeRecovery(again), "Nothing to recover.");
  EXPECT_EQ(std::distance(fs::directory_iterator(MusicFolder()), {}), 2);
}

TEST_F(RecordingRecovery, LeavesARecordingWhoseProcessRuns) {
  const std::vector<uint8_t> bytes = CutOffWav(1000);
  ScratchFolder::Write(Temporary(), bytes);
  for (const pid_t pid : {::getppid(), ::getpid()}) {
    const RecordingMarker marker = Mark(pid);
    const RecoveryReport report = Recover();
    EXPECT_EQ(report.found, Found::StillRunning);
    EXPECT_NE(DescribeRecovery(report).find("still runs"), std::string::npos);
    EXPECT_EQ(ScratchFolder::Read(Temporary()), bytes);
    EXPECT_EQ(ReadRecordingMarker(MarkerFile()), marker);
    EXPECT_FALSE(fs::exists(Music("vantroaudio.wav")));
  }
}

TEST_F(RecordingRecovery, SavesEveryPartInOrder) {
  ScratchFolder::Write(Temporary(), CutOffWav(3000));
  ScratchFolder::Write(FilePartName(Temporary(), 2), CutOffWav(2000));
  ScratchFolder::Write(FilePartName(Temporary(), 3), CutOffWav(1000));
  Mark(DeadProcessId());
  const RecoveryReport report = Recover();
  ASSERT_EQ(report.found, Found::Recovered) << report.problem;
  ASSERT_EQ(report.recovered.size(), 3u);
  const uint32_t frames[] = {3000, 2000, 1000};
  const char* names[] = {"vantroaudio.wav", "vantroaudio001.wav", "vantroaudio002.wav"};
  for (size_t part = 0; part < 3; ++part) {
    EXPECT_EQ(report.recovered[part].file, Music(names[part]));
    EXPECT_EQ(DataBytes(Music(names[part])), frames[part] * 4);
  }
  EXPECT_FALSE(fs::exists(FilePartName(Temporary(), 2)));
  EXPECT_FALSE(fs::exists(MarkerFile()));
}

TEST_F(RecordingRecovery, ARecoveryCutOffItselfNeverGivesTwoCopies) {
  // Stopped after the repaired part was put beside its output name, before the temporary
  // part was deleted.
  fs::create_directories(MusicFolder());
  const std::string staged = Music(".corvox-recovered-part");
  ScratchFolder::Write(Temporary(), CutOffWav(500));
  ScratchFolder::Write(staged, WavBytes(WavLayout{}, std::vector<uint8_t>(4000, 1)));
  RecordingMarker marker = Mark(DeadProcessId());
  marker.stagedFiles = {staged};
  ASSERT_TRUE(WriteRecordingMarker(MarkerFile(), marker));

  RecoveryReport report = Recover();
  ASSERT_EQ(report.found, Found::Recovered) << report.problem;
  ASSERT_EQ(report.recovered.size(), 1u);
  EXPECT_EQ(DataBytes(report.recovered[0].file), 4000u) << "the part put aside, not the temporary one again";
  EXPECT_EQ(std::distance(fs::directory_iterator(MusicFolder()), {}), 1);
  EXPECT_FALSE(fs::exists(Temporary()));

  // Stopped after the part took its name, before the marker went.
  ASSERT_TRUE(WriteRecordingMarker(MarkerFile(), marker));
  report = Recover();
  EXPECT_EQ(report.found, Found::Nothing);
  EXPECT_EQ(std::distance(fs::directory_iterator(MusicFolder()), {}), 1);
  EXPECT_FALSE(fs::exists(MarkerFile()));
}

TEST_F(RecordingRecovery, ARecordingSavedJustBeforeItsProcessDiedIsNotSavedAgain) {
  // Copied whole to its name on another file system; the process died before deleting the source.
  fs::create_directories(MusicFolder());
  std::vector<uint8_t> whole = CutOffWav(2000);
  whole.pop_back();
  PutLe32(whole.data() + 4, static_cast<uint32_t>(whole.size() - 8));
  PutLe32(whole.data() + 40, 2000 * 4);
  ScratchFolder::Write(Temporary(), whole);
  ScratchFolder::Write(Music("take.wav"), whole);
  Mark(DeadProcessId());

  const RecoveryReport report = Recover();
  EXPECT_EQ(report.found, Found::Nothing);
  EXPECT_EQ(std::distance(fs::directory_iterator(MusicFolder()), {}), 1);
  EXPECT_EQ(ScratchFolder::Read(Music("take.wav")), whole);
  EXPECT_FALSE(fs::exists(Temporary()));
  EXPECT_FALSE(fs::exists(MarkerFile()));
}

TEST_F(RecordingRecovery, KeepsAPartItCannotRepair) {
  ScratchFolder::Write(Temporary(), std::vector<uint8_t>(5000, 0));
  Mark(DeadProcessId());
  const RecoveryReport report = Recover();
  EXPECT_EQ(report.found, Found::Failed);
  ASSERT_EQ(report.kept.size(), 1u);
  EXPECT_EQ(fs::path(report.kept[0]).parent_path(), fs::path(TempFolder()));
  EXPECT_EQ(fs::path(report.kept[0]).filename().string().rfind("corvox_unsaved_", 0), 0u);
  EXPECT_EQ(ScratchFolder::Read(report.kept[0]), std::vector<uint8_t>(5000, 0));
  EXPECT_FALSE(fs::exists(MarkerFile()));
  EXPECT_NE(DescribeRecovery(report).find(report.kept[0]), std::string::npos);
}

TEST_F(RecordingRecovery, TheDocumentRecoversBeforeItPreparesARecordingAndSaysWhere) {
  ScratchFolder::Write(Temporary(), CutOffWav(4410));
  Mark(DeadProcessId());
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_ICONINFORMATION);
  EXPECT_NE(m_boxes.Boxes()[0].text.find(Music("vantroaudio.wav")), std::string::npos) << m_boxes.Boxes()[0].text;
  EXPECT_EQ(DataBytes(Music("vantroaudio.wav")), 4410u * 4);
  // The next recording gets the next name.
  EXPECT_EQ(m_doc.OutputFile(), Music("vantroaudio001.wav"));
}

TEST_F(RecordingRecovery, ARecordingIsMarkedWhileItRuns) {
  m_env.UseInputFile("in.wav", 44100, 2, 44100);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  m_doc.OnRecord();
  ASSERT_TRUE(m_doc.IsRecording());
  const std::optional<RecordingMarker> marker = ReadRecordingMarker(MarkerFile());
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->pid, ::getpid());
  EXPECT_EQ(marker->format, kFormatWav);
  EXPECT_EQ(marker->outputFile, m_doc.OutputFile());
  EXPECT_EQ(marker->captureFormat, "44100 Hz, 16-bit, 2 channels");
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_TRUE(m_doc.LastRecording().saved);
  EXPECT_FALSE(fs::exists(MarkerFile()));
  EXPECT_TRUE(m_boxes.Boxes().empty());
}

}  // namespace
