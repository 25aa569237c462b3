#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/EngineTestEnvironment.h"
#include "engine/GraphHelpers.h"
#include "engine/Messages.h"
#include "engine/Recorder.h"
#include "filters/OggVorbisFile.h"
#include "filters/VorbisEnc.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/media/DeviceEnumerator.h"
#include "platform/media/RunningObjectTable.h"
#include "platform/ui/MessageLoop.h"
#include "settings/ExportFormat.h"

namespace {

std::vector<std::string> FilterNames(IGraphBuilder* graph) {
  std::vector<std::string> names;
  for (const auto& filter : graph->Filters()) names.push_back(filter->Name());
  return names;
}

IBaseFilter* Downstream(IGraphBuilder* graph, const std::string& name) {
  std::shared_ptr<IBaseFilter> filter;
  if (graph->FindFilterByName(name, &filter) != S_OK) return nullptr;
  IPin* output = nullptr;
  IPin* peer = nullptr;
  if (FindPin(filter.get(), PINDIR_OUTPUT, &output) != S_OK || FAILED(output->ConnectedTo(&peer))) return nullptr;
  return peer->Filter();
}

class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() : m_recorder(m_env.Settings()) {
    m_recorder.SetFile(m_env.Path("corvox_temp.audio").string(), &m_loop, WM_RECORDER_GRAPH_EVENT);
    m_recorder.SetExportFormat(kFormatWav);
  }

  // Pumps the notify window until the graph reports `code`.
  bool WaitForEvent(long code) {
    MSG message;
    while (m_loop.GetMessage(message, std::chrono::seconds(10))) {
      EXPECT_EQ(message.message, WM_RECORDER_GRAPH_EVENT);
      EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(m_recorder.Graph()));
      auto* events = QueryInterface<IMediaEventEx>(m_recorder.Graph());
      long received;
      intptr_t p1, p2;
      while (events->GetEvent(&received, &p1, &p2, 0) == S_OK)
        if (received == code) return true;
    }
    return false;
  }

  // Lets the running recording reach the end of its input, stops it and reads the Ogg file.
  void FinishOggRecording(OggVorbisFileSummary* summary) {
    ASSERT_TRUE(WaitForEvent(EC_COMPLETE));
    EXPECT_TRUE(SUCCEEDED(m_recorder.Stop()));
    m_recorder.TearDown();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(m_env.Path("corvox_temp.audio").c_str(), "rb"),
                                                         std::fclose);
    ASSERT_TRUE(file);
    ASSERT_EQ(ReadOggVorbisFile(file.get(), "corvox_temp.audio", summary), S_OK) << GetErrorInfo();
  }

  EngineTestEnvironment m_env;
  MessageLoop m_loop;
  Recorder m_recorder;
};

TEST_F(RecorderTest, UnknownExportFormatFailsTheBuild) {
  m_recorder.SetExportFormat(204);
  EXPECT_EQ(m_recorder.Build(), E_FAIL);
  EXPECT_FALSE(m_recorder.IsBuilt());
}

TEST_F(RecorderTest, UncompressedWavConnectsTheTeeStraightToTheWavWriter) {
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  IGraphBuilder* graph = m_recorder.Graph();
  EXPECT_EQ(FilterNames(graph), (std::vector<std::string>{"Audio Source", "Tee", "WAVE Writer", "File Writer"}));
  std::shared_ptr<IBaseFilter> writer, fileWriter;
  graph->FindFilterByName("WAVE Writer", &writer);
  graph->FindFilterByName("File Writer", &fileWriter);
  EXPECT_EQ(Downstream(graph, "Tee"), writer.get());
  EXPECT_EQ(Downstream(graph, "WAVE Writer"), fileWriter.get());
}

TEST_F(RecorderTest, PreviewNeedsBothTheInputAndTheUsersChoice) {
  m_env.Settings().SetPreviewAudio(2);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  EXPECT_EQ(m_recorder.Graph()->Filters().size(), 4u);
  m_recorder.TearDown();

  m_env.Settings().SetPreviewAudio(3);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  EXPECT_EQ(m_recorder.Graph()->Filters().size(), 5u);
  IPin* spare = nullptr;
  std::shared_ptr<IBaseFilter> tee;
  m_recorder.Graph()->FindFilterByName("Tee", &tee);
  EXPECT_EQ(FindUnconnectedPin(tee.get(), PINDIR_OUTPUT, &spare), S_OK);
  EXPECT_EQ(spare->Name(), "Output3");  // writer and preview connected, one spare
}

TEST_F(RecorderTest, CompressorIndexPastTheListFailsTheBuild) {
  m_env.Settings().SetWavConfiguration(WavConfiguration{99, 99});
  EXPECT_TRUE(FAILED(m_recorder.Build()));
  EXPECT_NE(GetErrorInfo().find("compressor"), std::string::npos);
}

TEST_F(RecorderTest, ACompressorThatCannotBeBoundFailsTheBuildWithTheBindersResult) {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, [] {
    return std::vector<DeviceEntry>{
        {{{"Description", "Broken"}}, [](std::shared_ptr<IBaseFilter>*) { return E_ACCESSDENIED; }}};
  });
  m_env.Settings().SetWavConfiguration(WavConfiguration{0, 0});
  const HRESULT hr = m_recorder.Build();
  const std::string text = GetErrorInfo();
  RegisterAudioCompressors();
  EXPECT_EQ(hr, E_ACCESSDENIED);
  EXPECT_EQ(text, "Failed to bind moniker to object");
}

TEST_F(RecorderTest, TwoRecordersRegisterUnderDifferentNames) {
  Recorder second(m_env.Settings());
  second.SetFile(m_env.Path("second.audio").string(), nullptr, 0);
  second.SetExportFormat(kFormatWav);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  ASSERT_TRUE(SUCCEEDED(second.Build()));
  IRunningObjectTable* table = nullptr;
  GetRunningObjectTable(&table);
  std::vector<std::string> names = table->RegisteredNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0], names[1]);
  second.TearDown();
  EXPECT_EQ(table->RegisteredNames().size(), 1u);
}

TEST_F(RecorderTest, RecordsTheWholeInputIntoACompleteWavFile) {
  const std::vector<uint8_t> payload = m_env.UseInputFile("in.wav", 44100, 2, 30000);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  ASSERT_TRUE(SUCCEEDED(m_recorder.Run()));
  ASSERT_TRUE(WaitForEvent(EC_COMPLETE));
  EXPECT_TRUE(SUCCEEDED(m_recorder.Stop()));
  m_recorder.TearDown();

  const std::vector<uint8_t> file = ScratchFolder::Read(m_env.Path("corvox_temp.audio"));
  ASSERT_EQ(file.size(), 46 + payload.size());
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(GetLe32(&file[4]), 38 + payload.size());
  EXPECT_EQ(GetLe32(&file[16]), 18u);
  EXPECT_EQ(GetLe16(&file[20]), WAVE_FORMAT_PCM);
  EXPECT_EQ(GetLe32(&file[42]), payload.size());
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), file.begin() + 46));
}

TEST_F(RecorderTest, OggChainRunsThroughTheVorbisEncoderAndTheMultiplexerWithTheUsersSettings) {
  m_recorder.SetExportFormat(kFormatOgg);
  OggConfiguration ogg;
  ogg.qualityBased = 0;
  m_env.Settings().SetOggConfiguration(ogg);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  IGraphBuilder* graph = m_recorder.Graph();
  EXPECT_EQ(FilterNames(graph),
            (std::vector<std::string>{"Audio Source", "Tee", "Ogg compressor", "Ogg Mux", "File Writer"}));
  std::shared_ptr<IBaseFilter> encoder, mux, fileWriter;
  graph->FindFilterByName("Ogg compressor", &encoder);
  graph->FindFilterByName("Ogg Mux", &mux);
  graph->FindFilterByName("File Writer", &fileWriter);
  EXPECT_EQ(Downstream(graph, "Tee"), encoder.get());
  EXPECT_EQ(Downstream(graph, "Ogg compressor"), mux.get());
  EXPECT_EQ(Downstream(graph, "Ogg Mux"), fileWriter.get());
  const auto* vorbis = dynamic_cast<CVorbisEnc*>(encoder.get());
  ASSERT_NE(vorbis, nullptr);
  EXPECT_EQ(vorbis->Settings(), (VORBISFORMAT{2, 44100, 64000, 112000, 128000, -1.0f}));
}

TEST_F(RecorderTest, RecordsTheWholeInputIntoACompleteOggFile) {
  m_env.UseInputFile("in.wav", 44100, 2, 30001);
  m_recorder.SetExportFormat(kFormatOgg);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  ASSERT_TRUE(SUCCEEDED(m_recorder.Run()));
  OggVorbisFileSummary summary;
  ASSERT_NO_FATAL_FAILURE(FinishOggRecording(&summary));
  EXPECT_EQ(summary.serial, 0u);
  EXPECT_EQ(summary.channels, 2);
  EXPECT_EQ(summary.rateHz, 44100u);
  EXPECT_EQ(summary.lastGranule, 30001) << "every input frame, no more";
}

TEST_F(RecorderTest, PauseAndResumeLeaveNeitherGapNorSilenceInTheOggFile) {
  m_env.UseInputFile("in.wav", 44100, 2, 44100);
  setenv("CORVOX_VIRTUAL_PACE", "1", 1);
  m_recorder.SetExportFormat(kFormatOgg);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build()));
  ASSERT_TRUE(SUCCEEDED(m_recorder.Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(SUCCEEDED(m_recorder.Pause()));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_TRUE(SUCCEEDED(m_recorder.Run()));
  OggVorbisFileSummary summary;
  ASSERT_NO_FATAL_FAILURE(FinishOggRecording(&summary));
  EXPECT_EQ(summary.lastGranule, 44100) << "the paused time is not in the file, and no input is lost";
}

TEST_F(RecorderTest, StopAndRunWithoutAGraphAreHarmless) {
  EXPECT_EQ(m_recorder.Stop(), S_FALSE);
  EXPECT_TRUE(FAILED(m_recorder.Run()));
  EXPECT_EQ(m_recorder.TearDown(), S_OK);
}

}  // namespace
