#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineTestEnvironment.h"
#include "engine/Messages.h"
#include "engine/WaveformReader.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/media/RunningObjectTable.h"
#include "platform/ui/MessageLoop.h"
#include "support/MessageBoxCapture.h"
#include "support/WavBytes.h"
#include "waveform/CVTWaveformDump.h"
#include "waveform/LoadWaveform.h"

namespace {

struct Load {
  HRESULT run = E_FAIL;
  ReaderOutcome outcome = ReaderOutcome::Running;
  std::string header;  // the dump's first line
  std::vector<int> values;
};

class WaveformReaderTest : public testing::Test {
 protected:
  WaveformReaderTest() { RegisterAudioDecoders(); }

  std::string File(const std::string& name) { return m_env.Path(name).string(); }

  // A WAV file of a square wave: 100 frames at +amplitude, 100 at -amplitude, and so on.
  std::string Square(const std::string& name, uint32_t rateHz, uint16_t channels, uint16_t bits, uint32_t frames,
                     int32_t amplitude) {
    std::vector<int32_t> values;
    for (uint32_t n = 0; n < frames; ++n)
      for (uint16_t c = 0; c < channels; ++c)
        values.push_back(static_cast<int32_t>((n / 100) % 2 ? -amplitude : amplitude));
    WavLayout layout;
    layout.rateHz = rateHz;
    layout.channels = channels;
    layout.bitsPerSample = bits;
    ScratchFolder::Write(File(name), WavBytes(layout, PcmBytes(bits, values)));
    return File(name);
  }

  // Runs the reader as the document does: Run, the events on the window until one decides,
  // Stop and Release, then the dump file as written.
  Load Read(const std::string& source) {
    const std::string dump = File(kDumpFileName);
    Load load;
    m_reader.SetFiles(source, dump, &m_window);
    load.run = m_reader.Run();
    if (SUCCEEDED(load.run)) {
      MSG message;
      while (load.outcome == ReaderOutcome::Running && m_window.GetMessage(message, std::chrono::seconds(30))) {
        EXPECT_EQ(message.message, WM_READER_GRAPH_EVENT);
        load.outcome = m_reader.ReadEvents();
      }
    }
    m_reader.Stop();
    m_reader.Release();
    std::FILE* file = std::fopen(dump.c_str(), "rb");
    if (file == nullptr) return load;
    char line[256];
    if (std::fgets(line, sizeof line, file)) load.header = line;
    while (std::fgets(line, sizeof line, file)) load.values.push_back(std::atoi(line));
    std::fclose(file);
    return load;
  }

  EngineTestEnvironment m_env;
  MessageLoop m_window;
  WaveformReader m_reader;
};

TEST_F(WaveformReaderTest, ReadsAWavFileIntoTheDump) {
  // 3.5 s of 22050 Hz 16-bit mono.
  const Load load = Read(Square("tone.wav", 22050, 1, 16, 77175, 12000));
  ASSERT_EQ(load.run, S_OK);
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  EXPECT_EQ(load.header, "1\t22050\t2\t3.500000\t12000\t-12000\r\n");
  // At least one value per 369 bytes (2 + step 367), at most one more per buffer.
  EXPECT_GE(load.values.size(), 154350u / 369);
  EXPECT_LE(load.values.size(), 154350u / 369 + 100);
  WaveformData data;
  ASSERT_TRUE(LoadWaveform(File(kDumpFileName), &data));
  EXPECT_DOUBLE_EQ(data.durationSeconds, 3.5);
  EXPECT_EQ(data.values.size(), load.values.size());
  EXPECT_FLOAT_EQ(*std::max_element(data.values.begin(), data.values.end()), 1.0f);
}

std::vector<std::string> Fields(const std::string& header) {
  std::vector<std::string> fields(1);
  for (const char c : header) {
    if (c == '\t') fields.emplace_back();
    if (c != '\t' && c != '\r' && c != '\n') fields.back() += c;
  }
  return fields;
}

float Peak(const std::string& dump) {
  WaveformData data;
  if (!LoadWaveform(dump, &data) || data.values.empty()) return -1;
  float peak = 0;
  for (const float value : data.values) peak = std::max(peak, std::abs(value));
  return peak;
}

// Files from sox and ffmpeg, as users bring them.
TEST_F(WaveformReaderTest, FilesMadeByOtherTools) {
  const auto make = [this](const std::string& name, const std::string& before, const std::string& after) {
    const std::string command = before + " '" + File(name) + "' " + after;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return File(name);
  };
  Load load = Read(make("t.wav", "sox -n -r 22050 -c 1 -b 16", "synth 3.5 sine 440"));
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  std::vector<std::string> header = Fields(load.header);
  ASSERT_EQ(header.size(), 6u);
  EXPECT_EQ(header[0] + " " + header[1] + " " + header[2] + " " + header[3], "1 22050 2 3.500000");
  // The values sample the tone, so they need not reach its peaks; they do pass a tenth of full
  // scale, so the file's own extremes map to +-1.
  EXPECT_GT(std::stoi(header[4]), 3277);
  EXPECT_LT(std::stoi(header[5]), -3277);
  EXPECT_FLOAT_EQ(Peak(File(kDumpFileName)), 1.0f);

  load = Read(make("quiet.wav", "sox -n -r 44100 -c 2 -b 16", "synth 1 sine 440 vol 0.05"));
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  EXPECT_NEAR(Peak(File(kDumpFileName)), 0.05f, 0.005f);  // quiet: full scale keeps it small

  load = Read(make("eight.wav", "sox -n -r 8000 -c 2 -b 8", "synth 1 sine 300 vol 0.5"));
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  header = Fields(load.header);
  ASSERT_EQ(header.size(), 6u);
  EXPECT_EQ(header[0] + " " + header[1] + " " + header[2] + " " + header[3], "2 8000 1 1.000000");
  EXPECT_LE(std::stoi(header[4]), 64);
  EXPECT_GE(std::stoi(header[5]), -65);
  EXPECT_GT(std::stoi(header[4]) - std::stoi(header[5]), 64);

  load = Read(make("tone.mp3",
                   "ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 -ac 2 -c:a "
                   "libmp3lame -b:a 128k",
                   ""));
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  header = Fields(load.header);
  ASSERT_EQ(header.size(), 6u);
  EXPECT_EQ(header[0] + " " + header[1] + " " + header[2], "2 44100 2");
  EXPECT_NEAR(std::stod(header[3]), 2.0, 0.1);
}

TEST_F(WaveformReaderTest, EveryLoadStartsItsExtremesAfresh) {
  ASSERT_EQ(Read(Square("loud.wav", 44100, 2, 16, 44100, 30000)).outcome, ReaderOutcome::Completed);
  const Load quiet = Read(Square("quiet.wav", 44100, 2, 16, 44100, 1000));
  ASSERT_EQ(quiet.outcome, ReaderOutcome::Completed);
  EXPECT_EQ(quiet.header, "2\t44100\t2\t1.000000\t1000\t-1000\r\n");
}

TEST_F(WaveformReaderTest, EightBitFilesKeepTheirWidth) {
  const Load load = Read(Square("eight.wav", 11025, 2, 8, 22050, 100));
  ASSERT_EQ(load.outcome, ReaderOutcome::Completed);
  EXPECT_EQ(load.header, "2\t11025\t1\t2.000000\t100\t-100\r\n");
}

TEST_F(WaveformReaderTest, FilesThatCannotBeReadFailInAnOrderlyWay) {
  ScratchFolder::Write(File("empty.wav"), {});
  const std::string text = "This is a text file, not audio.\n";
  ScratchFolder::Write(File("text.wav"), std::vector<uint8_t>(text.begin(), text.end()));
  std::vector<uint8_t> cut = ScratchFolder::Read(Square("whole.wav", 44100, 2, 16, 4410, 9000));
  cut.resize(30);
  ScratchFolder::Write(File("cut.wav"), cut);
  for (const std::string name : {"missing.wav", "empty.wav", "text.wav", "cut.wav"}) {
    const Load load = Read(File(name));
    // The graph will not build or run, or it ends without audio: LoadWaveform refuses the dump.
    const bool failed = FAILED(load.run) || load.outcome == ReaderOutcome::Failed;
    WaveformData data;
    EXPECT_TRUE(failed || !LoadWaveform(File(kDumpFileName), &data)) << name;
    if (FAILED(load.run)) {
      EXPECT_FALSE(GetErrorInfo().empty()) << name;
    }
  }
}

TEST_F(WaveformReaderTest, OggFilesGoThroughTheSystemsSplitterAndDecoder) {
  const auto make = [this](const std::string& name, const std::string& command) {
    const std::string full = "ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 " + command +
                             " -c:a libvorbis -f ogg '" + File(name) + "'";
    EXPECT_EQ(std::system(full.c_str()), 0) << full;
    return File(name);
  };
  for (const auto& [name, channels] : {std::pair{"stereo.ogg", "2"}, std::pair{"surround.dat", "6"}}) {
    const Load load = Read(make(name, std::string("-ac ") + channels));
    ASSERT_EQ(load.outcome, ReaderOutcome::Completed) << name << ": " << GetErrorInfo();
    const std::vector<std::string> header = Fields(load.header);
    ASSERT_EQ(header.size(), 6u);
    EXPECT_EQ(header[0] + " " + header[1] + " " + header[2], std::string(channels) + " 44100 2") << name;
    EXPECT_NEAR(std::stod(header[3]), 2.0, 0.01) << name;
  }
  // Taken for Ogg by their first bytes, whatever the name; what is not Ogg inside fails.
  ScratchFolder::Write(File("broken.ogg"), {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0});
  ScratchFolder::Write(File("upper.wav"), {'x', 'O', 'G', 'G', 0});
  for (const std::string name : {"broken.ogg", "upper.wav"}) {
    const Load load = Read(File(name));
    EXPECT_TRUE(FAILED(load.run) || load.outcome == ReaderOutcome::Failed) << name;
  }
  // A WAV file named .ogg is read as what it is.
  const std::string wav = Square("tone.wav", 8000, 1, 16, 8000, 5000);
  std::rename(wav.c_str(), File("tone.ogg").c_str());
  EXPECT_EQ(Read(File("tone.ogg")).outcome, ReaderOutcome::Completed);
}

TEST_F(WaveformReaderTest, FullDiskEndsTheLoadWithTheDumpsWarningAtStop) {
  MessageBoxCapture boxes;
  // Three minutes: more lines than one block of the dump's buffer.
  m_reader.SetFiles(Square("long.wav", 8000, 1, 16, 8000 * 180, 5000), "/dev/full", &m_window);
  ASSERT_EQ(m_reader.Run(), S_OK);
  ReaderOutcome outcome = ReaderOutcome::Running;
  MSG message;
  while (outcome == ReaderOutcome::Running && m_window.GetMessage(message, std::chrono::seconds(30)))
    outcome = m_reader.ReadEvents();
  EXPECT_EQ(outcome, ReaderOutcome::Failed);
  EXPECT_EQ(GetErrorInfo(), kDumpDiskFullText);
  EXPECT_TRUE(boxes.Boxes().empty());
  // Whoever reads the events, the load ends with Stop and Release: the warning comes once.
  m_reader.Stop();
  m_reader.Release();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kDumpDiskFullText);
  EXPECT_EQ(boxes.Boxes()[0].flags, MB_OK | MB_ICONWARNING);
}

TEST_F(WaveformReaderTest, GraphIsRegisteredWhileItExists) {
  IRunningObjectTable* table = nullptr;
  ASSERT_EQ(GetRunningObjectTable(&table), S_OK);
  const size_t before = table->RegisteredNames().size();
  m_reader.SetFiles(Square("tone.wav", 8000, 1, 16, 800, 5000), File(kDumpFileName), &m_window);
  ASSERT_EQ(m_reader.Build(), S_OK);
  const auto names = table->RegisteredNames();
  ASSERT_EQ(names.size(), before + 1);
  EXPECT_EQ(names.back().rfind("!FilterGraph ", 0), 0u);
  EXPECT_NE(names.back().find(" pid "), std::string::npos);
  // A second build replaces the graph and its entry.
  ASSERT_EQ(m_reader.Build(), S_OK);
  EXPECT_EQ(table->RegisteredNames().size(), before + 1);
  m_reader.Release();
  EXPECT_EQ(table->RegisteredNames().size(), before);
  EXPECT_FALSE(m_reader.Stop());
}

}  // namespace
