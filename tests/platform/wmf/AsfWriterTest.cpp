#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <vector>

#include "platform/media/WaveFormat.h"
#include "platform/media/ClassFactory.h"
#include "platform/wmf/AsfFileSummary.h"
#include "platform/wmf/AsfWriterRegistration.h"
#include "platform/wmf/CAsfWriterFilter.h"
#include "platform/wmf/CWMProfileManager.h"
#include "platform/wmf/WMStreamConfig.h"
#include "platform/wmf/WideText.h"
#include "support/FakeSourcePin.h"
#include "support/ScratchFolder.h"
#include "support/SinglePinFilter.h"

namespace {

constexpr uint32_t kDefaultFormat = 24;  // 128 kbps, 44 kHz, stereo

// A profile of one stream in codec 0's format `format`, as the recorder builds it.
std::shared_ptr<IWMProfile> OneStreamProfile(uint32_t format, const wchar_t* language = L"de-DE", bool vbr = false) {
  CWMProfileManager manager;
  std::shared_ptr<IWMProfile> profile;
  std::shared_ptr<IWMStreamConfig> stream, codecFormat;
  EXPECT_EQ(manager.CreateEmptyProfile(WMT_VER_9_0, &profile), S_OK);
  EXPECT_EQ(profile->CreateNewStream(WMMEDIATYPE_Audio, &stream), S_OK);
  EXPECT_EQ(manager.GetCodecFormat(WMMEDIATYPE_Audio, 0, format, &codecFormat), S_OK);
  uint32_t bitrate = 0, bytes = 0;
  codecFormat->GetBitrate(&bitrate);
  stream->SetBitrate(bitrate);
  WM_MEDIA_TYPE type;
  QueryInterface<IWMMediaProps>(codecFormat.get())->GetMediaType(nullptr, &bytes);
  QueryInterface<IWMMediaProps>(codecFormat.get())->GetMediaType(&type, &bytes);
  QueryInterface<IWMMediaProps>(stream.get())->SetMediaType(&type);
  QueryInterface<IWMStreamConfig3>(stream.get())->SetLanguage(language);
  const uint8_t flag[4] = {static_cast<uint8_t>(vbr), 0, 0, 0};
  QueryInterface<IWMPropertyVault>(stream.get())->SetProperty(g_wszVBREnabled, WMT_TYPE_BOOL, flag, 4);
  stream->SetStreamNumber(1);
  EXPECT_EQ(profile->AddStream(stream.get()), S_OK);
  return profile;
}

// A tone of `seconds` at `rate` in 16-bit mono.
std::vector<uint8_t> Tone(uint32_t rate, double seconds) {
  std::vector<uint8_t> bytes(static_cast<size_t>(rate * seconds) * 2);
  for (size_t n = 0; n < bytes.size() / 2; ++n)
    PutLe16(&bytes[n * 2], static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(n * 0.05))));
  return bytes;
}

class AsfWriterTest : public ::testing::Test {
 protected:
  AsfWriterTest()
      : m_writer(std::make_shared<CAsfWriterFilter>()),
        m_source(MakeAudioMediaType(MakePcmFormat(48000, 1, 16)), ALLOCATOR_PROPERTIES{4, 48000, 1, 0}) {}
  ~AsfWriterTest() override {
    m_source.Stop();
    m_writer->Stop();
    m_source.HostedPin().Disconnect();
    m_writer->GetPin(0)->Disconnect();
  }

  HRESULT Connect() { return m_source.HostedPin().Connect(m_writer->GetPin(0), nullptr); }
  HRESULT Start() {
    const HRESULT hr = m_writer->Pause();
    return FAILED(hr) ? hr : m_source.Pause();
  }
  // Sends `bytes` in pieces of at most half a second.
  void Send(const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at < bytes.size(); at += 48000)
      ASSERT_EQ(m_source.HostedPin().Send({bytes.data() + at, std::min<size_t>(48000, bytes.size() - at)}), S_OK);
  }

  ScratchFolder m_folder;
  std::shared_ptr<CAsfWriterFilter> m_writer;
  CSinglePinFilter<CFakeSourcePin> m_source;
};

TEST_F(AsfWriterTest, ConvertsTheCaptureToTheProfilesFormatAndWritesItsLanguage) {
  const std::string path = m_folder.File("out.wma");
  ASSERT_EQ(m_writer->SetFileName(path, nullptr), S_OK);
  ASSERT_EQ(m_writer->ConfigureFilterUsingProfile(OneStreamProfile(kDefaultFormat).get()), S_OK);
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(Start(), S_OK);
  Send(Tone(48000, 3));
  ASSERT_EQ(m_source.HostedPin().DeliverEndOfStream(), S_OK);
  EXPECT_EQ(m_writer->Stop(), S_OK);

  AsfFileSummary summary;
  ASSERT_EQ(ReadAsfFileSummary(path, &summary), S_OK) << GetErrorInfo();
  EXPECT_EQ(summary.codecName, "wmav2");
  EXPECT_EQ(summary.rateHz, 44100u);
  EXPECT_EQ(summary.channels, 2);
  EXPECT_EQ(summary.bitsPerSecond, 128000u);
  EXPECT_EQ(summary.language, "ger");
  // The priming block and the padding of the last one: at most two blocks of 2048 samples.
  EXPECT_GE(summary.seconds, 3.0);
  EXPECT_LE(summary.seconds, 3.0 + 2 * 2048 / 44100.0 + 0.01);
}

TEST_F(AsfWriterTest, WhatWasEncodedReachesTheFileWhileRecording) {
  const std::string path = m_folder.File("live.wma");
  ASSERT_EQ(m_writer->SetFileName(path, nullptr), S_OK);
  ASSERT_EQ(m_writer->ConfigureFilterUsingProfile(OneStreamProfile(kDefaultFormat).get()), S_OK);
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(Start(), S_OK);
  Send(Tone(48000, 4));
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  // Nothing stopped yet: at least 2 of the 4 seconds (16000 bytes each) are on disk.
  EXPECT_GE(status.st_size, 2 * 16000);
}

TEST_F(AsfWriterTest, RefusesProfilesItCannotWrite) {
  EXPECT_EQ(m_writer->ConfigureFilterUsingProfile(nullptr), E_POINTER);
  CWMProfileManager manager;
  std::shared_ptr<IWMProfile> empty;
  manager.CreateEmptyProfile(WMT_VER_9_0, &empty);
  EXPECT_EQ(m_writer->ConfigureFilterUsingProfile(empty.get()), VFW_E_UNSUPPORTED_STREAM);
  EXPECT_EQ(m_writer->ConfigureFilterUsingProfile(OneStreamProfile(0, L"en-US", true).get()), VFW_E_UNSUPPORTED_STREAM);

  auto two = OneStreamProfile(0);
  std::shared_ptr<IWMStreamConfig> second;
  two->CreateNewStream(WMMEDIATYPE_Audio, &second);
  second->SetStreamNumber(2);
  ASSERT_EQ(two->AddStream(second.get()), S_OK);
  EXPECT_EQ(m_writer->ConfigureFilterUsingProfile(two.get()), VFW_E_UNSUPPORTED_STREAM);

  // Without a profile the input takes nothing.
  EXPECT_TRUE(FAILED(Connect()));
  std::shared_ptr<IWMProfile> current;
  EXPECT_EQ(m_writer->GetCurrentProfile(&current), E_FAIL);
}

TEST_F(AsfWriterTest, KeepsACopyOfTheProfileAndRefusesChangesOnceConnected) {
  auto profile = OneStreamProfile(5);
  ASSERT_EQ(m_writer->ConfigureFilterUsingProfile(profile.get()), S_OK);
  profile->SetName(L"changed later");
  std::shared_ptr<IWMProfile> current;
  ASSERT_EQ(m_writer->GetCurrentProfile(&current), S_OK);
  EXPECT_NE(current, profile);
  uint32_t count = 0;
  current->GetStreamCount(&count);
  EXPECT_EQ(count, 1u);
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_EQ(m_writer->ConfigureFilterUsingProfile(profile.get()), VFW_E_ALREADY_CONNECTED);
}

TEST_F(AsfWriterTest, AFileThatCannotBeCreatedFailsThePauseWithItsReason) {
  ASSERT_EQ(m_writer->SetFileName(m_folder.File("missing/out.wma"), nullptr), S_OK);
  ASSERT_EQ(m_writer->ConfigureFilterUsingProfile(OneStreamProfile(kDefaultFormat).get()), S_OK);
  ASSERT_EQ(Connect(), S_OK);
  ClearErrorInfo();
  EXPECT_EQ(m_writer->Pause(), HResultFromErrno(ENOENT));
  EXPECT_NE(GetErrorInfo().find("missing/out.wma"), std::string::npos) << GetErrorInfo();
}

TEST_F(AsfWriterTest, WithoutOverwriteAnExistingFileIsKept) {
  const std::string path = m_folder.File("kept.wma");
  ScratchFolder::Write(path, {1, 2, 3});
  ASSERT_EQ(m_writer->SetFileName(path, nullptr), S_OK);
  ASSERT_EQ(m_writer->SetMode(0), S_OK);
  ASSERT_EQ(m_writer->ConfigureFilterUsingProfile(OneStreamProfile(kDefaultFormat).get()), S_OK);
  ASSERT_EQ(Connect(), S_OK);
  EXPECT_EQ(m_writer->Pause(), HResultFromErrno(EEXIST));
  EXPECT_EQ(ScratchFolder::Read(path), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(AsfWriterRegistration, TheWriterIsMadeByItsClassId) {
  RegisterAsfWriter();
  std::shared_ptr<IBaseFilter> writer;
  ASSERT_EQ(CoCreateInstance(CLSID_WMAsfWriter, &writer), S_OK);
  EXPECT_NE(QueryInterface<IConfigAsfWriter>(writer.get()), nullptr);
  EXPECT_NE(QueryInterface<IFileSinkFilter2>(writer.get()), nullptr);
}

}  // namespace
