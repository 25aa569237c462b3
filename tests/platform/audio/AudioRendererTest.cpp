#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/audio/AudioBackendSelection.h"
#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/CAudioRendererFilter.h"
#include "support/WavBytes.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/media/DeviceEnumerator.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/StreamConfig.h"
#include "support/ScratchFolder.h"

namespace {

class AudioRendererTest : public ::testing::Test {
 protected:
  void TearDown() override { SelectAudioBackend("virtual"); }

  ScratchFolder m_folder;
};

// The preview path: the device found through the system device enumerator, rendered by the
// renderer that choosing the backend registered, playing into the virtual output file.
TEST_F(AudioRendererTest, PreviewPlaysTheCapturedAudioAndReportsCompletion) {
  std::vector<uint8_t> data(30000 * 4);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 253);
  VirtualAudioOptions options;
  options.paced = false;
  options.inputPath = m_folder.File("in.wav");
  options.outputPath = m_folder.File("played.wav");
  ScratchFolder::Write(options.inputPath, WavBytes(WavLayout{}, data));
  UseAudioBackend(std::make_shared<VirtualAudioBackend>(options));

  std::unique_ptr<ICreateDevEnum> devices;
  ASSERT_EQ(CreateSystemDeviceEnum(&devices), S_OK);
  std::unique_ptr<IEnumMoniker> monikers;
  ASSERT_EQ(devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0), S_OK);
  std::unique_ptr<IMoniker> moniker;
  unsigned long fetched = 0;
  ASSERT_EQ(monikers->Next(1, &moniker, &fetched), S_OK);
  std::unique_ptr<IPropertyBag> bag;
  ASSERT_EQ(moniker->BindToStorage(&bag), S_OK);
  std::string description, friendlyName;
  EXPECT_EQ(bag->Read("Description", &description), S_OK);
  EXPECT_EQ(bag->Read("FriendlyName", &friendlyName), S_OK);
  EXPECT_EQ(description, "Virtual Audio Input");
  EXPECT_EQ(friendlyName, "virtual");
  std::shared_ptr<IBaseFilter> capture;
  ASSERT_EQ(moniker->BindToObject(&capture), S_OK);

  CFilterGraph graph;
  ASSERT_EQ(graph.AddFilter(capture, "Audio Source"), S_OK);
  IPin* output = nullptr;
  ASSERT_EQ(capture->FindPin("Capture", &output), S_OK);
  ASSERT_NE(QueryInterface<IAMStreamConfig>(output), nullptr);
  ASSERT_EQ(graph.Render(output), S_OK);
  ASSERT_EQ(graph.Run(), S_OK);
  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  ASSERT_EQ(graph.GetEvent(&code, &param1, &param2, 10000), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  ASSERT_EQ(graph.Stop(), S_OK);

  std::shared_ptr<IBaseFilter> renderer;
  ASSERT_EQ(graph.FindFilterByName("Audio Renderer", &renderer), S_OK);
  IPin* input = nullptr;
  ASSERT_EQ(renderer->FindPin("Audio Input pin (rendered)", &input), S_OK);
  auto* flags = QueryInterface<IAMFilterMiscFlags>(renderer.get());
  ASSERT_NE(flags, nullptr);
  EXPECT_EQ(flags->GetMiscFlags(), AM_FILTER_MISC_FLAGS_IS_RENDERER);
  graph.RemoveFilter(renderer.get());  // closes the output file's stream before it is read
  const std::vector<uint8_t> played = ScratchFolder::Read(options.outputPath);
  ASSERT_EQ(played.size(), 44 + data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), played.begin() + 44));
}

// A paused renderer holds new samples; the one it is playing finishes, so stopping a paused
// preview does not leave the capture thread stuck in the renderer.
TEST_F(AudioRendererTest, StoppingAPausedPreviewIsPrompt) {
  VirtualAudioOptions options;
  UseAudioBackend(std::make_shared<VirtualAudioBackend>(options));
  std::shared_ptr<IBaseFilter> capture;
  ASSERT_EQ(CAudioCaptureFilter::Create(CurrentAudioBackend(), 0, &capture), S_OK);
  CFilterGraph graph;
  ASSERT_EQ(graph.AddFilter(capture, "Audio Source"), S_OK);
  IPin* output = nullptr;
  ASSERT_EQ(capture->FindPin("Capture", &output), S_OK);
  const ALLOCATOR_PROPERTIES quarterSecond{0, 44100, 0, 0};
  ASSERT_EQ(QueryInterface<IAMBufferNegotiation>(output)->SuggestAllocatorProperties(&quarterSecond), S_OK);
  ASSERT_EQ(graph.Render(output), S_OK);
  ASSERT_EQ(graph.Run(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the renderer is mid-buffer
  ASSERT_EQ(graph.Pause(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(graph.Stop(), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(AudioRendererTest, AcceptsOnlyPcmTheDeviceCanPlay) {
  std::shared_ptr<IBaseFilter> renderer;
  ASSERT_EQ(CAudioRendererFilter::Create(std::make_shared<VirtualAudioBackend>(VirtualAudioOptions{}), &renderer),
            S_OK);
  IPin* input = nullptr;
  ASSERT_EQ(renderer->FindPin("Audio Input pin (rendered)", &input), S_OK);
  AM_MEDIA_TYPE type = MakeAudioMediaType(MakePcmFormat(48000, 6, 24));
  EXPECT_EQ(input->QueryAccept(&type), S_OK);
  type = MakeAudioMediaType(MakePcmFormat(48000, 2, 12));
  EXPECT_EQ(input->QueryAccept(&type), S_FALSE);
  WAVEFORMATEX mp3 = MakePcmFormat(44100, 2, 16);
  mp3.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  type = MakeAudioMediaType(mp3);
  EXPECT_EQ(input->QueryAccept(&type), S_FALSE);
}

TEST_F(AudioRendererTest, BackendChoiceFallsBackToVirtualAndRefusesUnknownNames) {
  for (const char* choice : {"pulse", "alsa", "virtual", ""}) {
    const std::shared_ptr<AudioBackend> backend = SelectAudioBackend(choice);
    ASSERT_TRUE(backend) << choice;
    // A server when one answers. ALSA when asked for, or in place of an absent server that
    // was asked for, or by default where it finds a card; the virtual device otherwise.
    const std::string asked = choice;
    if (backend->Name() == "pulse")
      EXPECT_TRUE(asked == "pulse" || asked.empty());
    else if (asked == "alsa" || asked == "pulse")
      EXPECT_EQ(backend->Name(), "alsa");
    else if (asked.empty() && backend->Name() == "alsa")
      EXPECT_FALSE(backend->CaptureDevices().empty());
    else
      EXPECT_EQ(backend->Name(), "virtual") << choice;
    EXPECT_EQ(CurrentAudioBackend(), backend);
  }
  const std::shared_ptr<AudioBackend> before = CurrentAudioBackend();
  EXPECT_EQ(SelectAudioBackend("oss"), nullptr);
  EXPECT_EQ(GetErrorInfo(), "Unknown audio backend \"oss\"; choose pulse, alsa or virtual.");
  EXPECT_EQ(CurrentAudioBackend(), before);
}

}  // namespace
