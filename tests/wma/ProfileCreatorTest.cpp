#include <gtest/gtest.h>

#include <algorithm>

#include "platform/wmf/WMStreamConfig.h"
#include "support/ScopedEnvironment.h"
#include "wma/FakeCodecInfo.h"
#include "wma/ProfileCreator.h"
#include "wma/WmaRecordingProfile.h"

namespace {

std::vector<std::string> Formats(size_t count) {
  std::vector<std::string> formats;
  for (size_t i = 0; i < count; ++i) formats.push_back("format " + std::to_string(i));
  return formats;
}

// Codecs sharing a prefix, the shorter name listed last.
std::shared_ptr<FakeCodecInfo> Codecs() {
  return std::make_shared<FakeCodecInfo>(std::vector<FakeCodec>{
      {"Windows Media Audio 9 Voice", Formats(4), std::nullopt},
      {"Windows Media Audio 9.1", Formats(12), std::nullopt},
      {"Windows Media Audio 9", Formats(10), std::vector<std::string>(Formats(6))},
  });
}

bool Called(const FakeCodecInfo& info, const std::string& call) {
  return std::find(info.calls.begin(), info.calls.end(), call) != info.calls.end();
}

class ProfileCreatorTest : public ::testing::Test {
 protected:
  ProfileCreatorTest() : m_locale("LC_ALL", "fr_CA.UTF-8"), m_info(Codecs()), m_creator(m_info) {
    m_creator.SetCodecName("Windows Media Audio 9");
  }

  std::shared_ptr<IWMStreamConfig> OnlyStream() {
    uint32_t count = 0;
    m_profile->GetStreamCount(&count);
    EXPECT_EQ(count, 1u);
    std::shared_ptr<IWMStreamConfig> stream;
    m_profile->GetStream(0, &stream);
    return stream;
  }

  ScopedEnvironment m_locale;
  std::shared_ptr<FakeCodecInfo> m_info;
  ProfileCreator m_creator;
  std::shared_ptr<IWMProfile> m_profile;
};

TEST_F(ProfileCreatorTest, BuildsOneAudioStreamOfTheChosenFormat) {
  m_creator.SetFormatIndex(7);
  ASSERT_TRUE(m_creator.CreateProfile(&m_profile));
  WMT_VERSION version{};
  m_profile->GetVersion(&version);
  EXPECT_EQ(version, WMT_VER_9_0);
  std::wstring text;
  m_profile->GetName(&text);
  EXPECT_EQ(text, L"Vantro Corvox Custom Profile");
  m_profile->GetDescription(&text);
  EXPECT_EQ(text, L"Custom screen video profile created by Vantro Corvox!");

  const std::shared_ptr<IWMStreamConfig> stream = OnlyStream();
  ASSERT_TRUE(stream);
  uint16_t number = 0;
  uint32_t bitrate = 0, window = 0;
  stream->GetStreamNumber(&number);
  stream->GetStreamName(&text);
  stream->GetBitrate(&bitrate);
  stream->GetBufferWindow(&window);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(text, L"Audio1");
  EXPECT_EQ(bitrate, FakeCodecInfo::BitrateOf(7));
  EXPECT_EQ(window, 3000u);
  QueryInterface<IWMStreamConfig3>(stream.get())->GetLanguage(&text);
  EXPECT_EQ(text, L"fr-CA");

  WM_MEDIA_TYPE type;
  uint32_t bytes = 1000;
  ASSERT_EQ(QueryInterface<IWMMediaProps>(stream.get())->GetMediaType(&type, &bytes), S_OK);
  EXPECT_EQ(WaveFormatOf(type)->nBlockAlign, 107);  // the fake's format 7
  WMT_ATTR_DATATYPE kind{};
  uint8_t vbr[4] = {9, 9, 9, 9};
  uint32_t size = 4;
  ASSERT_EQ(QueryInterface<IWMPropertyVault>(stream.get())->GetPropertyByName(g_wszVBREnabled, &kind, vbr, &size),
            S_OK);
  EXPECT_EQ(kind, WMT_TYPE_BOOL);
  EXPECT_EQ(vbr[0] | vbr[1] | vbr[2] | vbr[3], 0);

  ASSERT_EQ(m_creator.Streams().size(), 1u);
  EXPECT_EQ(m_creator.Streams()[0]->name, "Audio Stream");
  EXPECT_EQ(m_creator.Streams()[0]->codecIndex, 2u);  // the exact name, not a longer one sharing it
}

TEST_F(ProfileCreatorTest, AFormatIndexPastTheListTakesTheMiddleFormat) {
  m_creator.SetFormatIndex(24);
  ASSERT_TRUE(m_creator.CreateProfile(&m_profile));
  EXPECT_EQ(m_creator.FormatIndex(), 5);
  uint32_t bitrate = 0;
  OnlyStream()->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, FakeCodecInfo::BitrateOf(5));
}

TEST_F(ProfileCreatorTest, AVbrChoiceIsCodedAsOnePassAndDecodedBack) {
  m_creator.SetFormatIndex(3);
  m_creator.SetVbr(true);
  ASSERT_TRUE(m_creator.CreateProfile(&m_profile));
  const CStream& stream = *m_creator.Streams()[0];
  EXPECT_EQ(stream.formatCode, 5003u);
  EXPECT_EQ(stream.FormatIndex(), 3u);
  EXPECT_EQ(stream.Passes(), 1u);
  EXPECT_TRUE(Called(*m_info, "setting _PASSESUSED=1 2"));
  EXPECT_TRUE(Called(*m_info, "format 2:3"));
  uint8_t vbr[4] = {};
  uint32_t size = 4;
  WMT_ATTR_DATATYPE kind{};
  QueryInterface<IWMPropertyVault>(OnlyStream().get())->GetPropertyByName(g_wszVBREnabled, &kind, vbr, &size);
  EXPECT_EQ(vbr[0], 1);
}

TEST_F(ProfileCreatorTest, AnUnknownCodecNameBuildsNoProfile) {
  m_creator.SetCodecName("Windows Media Audio");
  EXPECT_FALSE(m_creator.CreateProfile(&m_profile));
  EXPECT_TRUE(m_creator.Streams().empty());
}

TEST_F(ProfileCreatorTest, AFormatTheCodecDoesNotHaveFailsTheStream) {
  // No VBR formats at all: the middle of nothing is format 0, which does not exist.
  m_creator.SetCodecName("Windows Media Audio 9 Voice");
  m_creator.SetVbr(true);
  EXPECT_FALSE(m_creator.CreateProfile(&m_profile));
  ASSERT_TRUE(m_profile);  // the caller still gets, and owns, the profile
  uint32_t count = 1;
  m_profile->GetStreamCount(&count);
  EXPECT_EQ(count, 0u);
}

TEST(ProfileObject, TheLastReleaseDestroysTheStream) {
  CStream* stream = CStream::Create();
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->streamType, kStreamNone);
  EXPECT_EQ(stream->bufferWindowMs, 3000u);
  std::shared_ptr<CStream> shared = ShareProfileObject(stream);
  stream->AddRef();
  EXPECT_EQ(stream->RefCount(), 2);
  shared.reset();
  EXPECT_EQ(stream->RefCount(), 1);
  stream->Release();  // ASan reports a leak or a double free here if counting is wrong
}

// The recorder's path over the installed codecs.
class CapturingWriter : public IConfigAsfWriter {
 public:
  HRESULT ConfigureFilterUsingProfile(IWMProfile* profile) override {
    configured = profile;
    return S_OK;
  }
  HRESULT GetCurrentProfile(std::shared_ptr<IWMProfile>*) override { return E_NOTIMPL; }
  IWMProfile* configured = nullptr;
};

TEST(WmaRecordingProfile, AStoredCodecPositionPastTheListFailsInAnOrderlyWay) {
  CapturingWriter writer;
  ClearErrorInfo();
  EXPECT_EQ(ConfigureWriterForWmaChoice(&writer, 1, 24, false), E_INVALIDARG);
  EXPECT_EQ(ConfigureWriterForWmaChoice(&writer, -1, 24, false), E_INVALIDARG);
  EXPECT_EQ(writer.configured, nullptr);
  EXPECT_NE(GetErrorInfo().find("not installed"), std::string::npos);
  EXPECT_EQ(ConfigureWriterForWmaChoice(&writer, 0, 24, false), S_OK);
  EXPECT_NE(writer.configured, nullptr);
}

}  // namespace
