#include <gtest/gtest.h>

#include "platform/media/WaveFormat.h"
#include "platform/wmf/CWMProfileManager.h"
#include "platform/wmf/CWMStreamConfig.h"
#include "platform/wmf/MultiLanguage.h"
#include "platform/wmf/WideText.h"
#include "support/ScopedEnvironment.h"

namespace {

std::wstring CodecName(IWMCodecInfo3* info, uint32_t codec) {
  uint32_t length = 0;
  EXPECT_EQ(info->GetCodecName(WMMEDIATYPE_Audio, codec, nullptr, &length), S_OK);
  std::wstring name(length, L'?');
  EXPECT_EQ(info->GetCodecName(WMMEDIATYPE_Audio, codec, name.data(), &length), S_OK);
  EXPECT_EQ(name.back(), L'\0');
  name.pop_back();
  return name;
}

std::wstring FormatDescription(IWMCodecInfo3* info, uint32_t format) {
  uint32_t length = 0;
  EXPECT_EQ(info->GetCodecFormatDesc(WMMEDIATYPE_Audio, 0, format, nullptr, nullptr, &length), S_OK);
  std::wstring text(length, L'?');
  EXPECT_EQ(info->GetCodecFormatDesc(WMMEDIATYPE_Audio, 0, format, nullptr, text.data(), &length), S_OK);
  text.pop_back();
  return text;
}

TEST(WmfCodecInfo, OffersWma9WithTheStoredDefaultAs128kStereoPastTheMiddle) {
  CWMProfileManager manager;
  uint32_t codecs = 0, formats = 0;
  ASSERT_EQ(manager.GetCodecInfoCount(WMMEDIATYPE_Audio, &codecs), S_OK);
  ASSERT_EQ(codecs, 1u);
  EXPECT_EQ(CodecName(&manager, 0), L"Windows Media Audio 9");
  ASSERT_EQ(manager.GetCodecFormatCount(WMMEDIATYPE_Audio, 0, &formats), S_OK);
  // The default format index 24 must not be replaced by the middle of the list.
  EXPECT_GT(formats, 25u);
  EXPECT_EQ(FormatDescription(&manager, 24), L"128 kbps, 44 kHz, stereo CBR");
  EXPECT_EQ(FormatDescription(&manager, 0), L"32 kbps, 8 kHz, mono CBR");

  uint32_t videoCodecs = 7;
  EXPECT_EQ(manager.GetCodecInfoCount(WMMEDIATYPE_Video, &videoCodecs), S_OK);
  EXPECT_EQ(videoCodecs, 0u);
  EXPECT_EQ(manager.GetCodecFormatCount(WMMEDIATYPE_Audio, 1, &formats), E_INVALIDARG);
}

TEST(WmfCodecInfo, TextsNeedRoomForTheirTerminator) {
  CWMProfileManager manager;
  uint32_t length = 0;
  ASSERT_EQ(manager.GetCodecName(WMMEDIATYPE_Audio, 0, nullptr, &length), S_OK);
  EXPECT_EQ(length, std::wstring(L"Windows Media Audio 9").size() + 1);
  std::wstring name(length, L'?');
  uint32_t tooShort = length - 1;
  EXPECT_EQ(manager.GetCodecName(WMMEDIATYPE_Audio, 0, name.data(), &tooShort), E_INVALIDARG);
}

TEST(WmfCodecInfo, HasNoVbrSettingSinceTheEncoderIsConstantBitrate) {
  CWMProfileManager manager;
  const uint8_t on[4] = {1, 0, 0, 0};
  EXPECT_EQ(manager.SetCodecEnumerationSetting(WMMEDIATYPE_Audio, 0, g_wszVBREnabled, WMT_TYPE_BOOL, on, 4),
            NS_E_UNSUPPORTED_PROPERTY);
  EXPECT_EQ(manager.SetCodecEnumerationSetting(WMMEDIATYPE_Audio, 0, g_wszNumPasses, WMT_TYPE_DWORD, on, 4),
            NS_E_UNSUPPORTED_PROPERTY);
}

TEST(WmfCodecInfo, AFormatsConfigurationCarriesBitrateAndWaveFormat) {
  CWMProfileManager manager;
  std::shared_ptr<IWMStreamConfig> config;
  ASSERT_EQ(manager.GetCodecFormat(WMMEDIATYPE_Audio, 0, 24, &config), S_OK);
  uint32_t bitrate = 0;
  config->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, 128000u);
  auto* props = QueryInterface<IWMMediaProps>(config.get());
  ASSERT_NE(props, nullptr);
  uint32_t bytes = 0;
  ASSERT_EQ(props->GetMediaType(nullptr, &bytes), S_OK);
  WM_MEDIA_TYPE type;
  uint32_t tooFew = bytes - 1;
  EXPECT_EQ(props->GetMediaType(&type, &tooFew), E_INVALIDARG);
  ASSERT_EQ(props->GetMediaType(&type, &bytes), S_OK);
  EXPECT_EQ(type.subtype, WMMEDIASUBTYPE_WMAudioV8);
  const std::optional<WAVEFORMATEX> wave = WaveFormatOf(type);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->wFormatTag, WAVE_FORMAT_WMAUDIO2);
  EXPECT_EQ(wave->nSamplesPerSec, 44100u);
  EXPECT_EQ(wave->nChannels, 2);
  EXPECT_EQ(wave->nAvgBytesPerSec, 16000u);
  EXPECT_GT(wave->nBlockAlign, 0);
  EXPECT_GT(wave->cbSize, 0);  // the decoder's setup bytes travel with the type
}

TEST(WmfProfile, KeepsItsOwnCopiesOfNumberedStreams) {
  CWMProfileManager manager;
  std::shared_ptr<IWMProfile> profile;
  ASSERT_EQ(manager.CreateEmptyProfile(WMT_VER_9_0, &profile), S_OK);
  WMT_VERSION version{};
  profile->GetVersion(&version);
  EXPECT_EQ(version, WMT_VER_9_0);
  EXPECT_NE(QueryInterface<IWMProfile3>(profile), nullptr);

  std::shared_ptr<IWMStreamConfig> stream;
  ASSERT_EQ(profile->CreateNewStream(WMMEDIATYPE_Audio, &stream), S_OK);
  EXPECT_EQ(profile->AddStream(stream.get()), E_INVALIDARG);  // no number yet
  ASSERT_EQ(stream->SetStreamNumber(1), S_OK);
  stream->SetBitrate(64000);
  ASSERT_EQ(profile->AddStream(stream.get()), S_OK);
  EXPECT_EQ(profile->AddStream(stream.get()), E_INVALIDARG);  // number 1 is taken
  stream->SetBitrate(1);

  uint32_t count = 0, bitrate = 0;
  profile->GetStreamCount(&count);
  EXPECT_EQ(count, 1u);
  std::shared_ptr<IWMStreamConfig> added;
  ASSERT_EQ(profile->GetStream(0, &added), S_OK);
  added->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, 64000u);
  EXPECT_EQ(stream->SetStreamNumber(64), E_INVALIDARG);
}

TEST(WmfPropertyVault, KeepsTypedValuesByName) {
  CWMStreamConfig config(WMMEDIATYPE_Audio);
  const uint8_t on[4] = {1, 0, 0, 0};
  EXPECT_EQ(config.SetProperty(g_wszVBREnabled, WMT_TYPE_BOOL, on, 2), E_INVALIDARG);
  EXPECT_FALSE(config.BoolProperty(g_wszVBREnabled));
  ASSERT_EQ(config.SetProperty(g_wszVBREnabled, WMT_TYPE_BOOL, on, 4), S_OK);
  EXPECT_TRUE(config.BoolProperty(g_wszVBREnabled));
  WMT_ATTR_DATATYPE type{};
  uint32_t size = 0;
  ASSERT_EQ(config.GetPropertyByName(g_wszVBREnabled, &type, nullptr, &size), S_OK);
  EXPECT_EQ(type, WMT_TYPE_BOOL);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(config.GetPropertyByName(g_wszNumPasses, &type, nullptr, &size), NS_E_UNSUPPORTED_PROPERTY);
}

TEST(WmfLocale, UserLocaleBecomesTheLanguageIdentifierAndItsTag) {
  EXPECT_EQ(LcidFromLocaleName("de_DE.UTF-8"), 0x0407u);
  EXPECT_EQ(LcidFromLocaleName("fr_CA"), 0x0C0Cu);
  EXPECT_EQ(LcidFromLocaleName("en_GB.utf8@euro"), 0x0809u);
  EXPECT_EQ(LcidFromLocaleName("de_BE.UTF-8"), 0x0007u);  // a country without its own identifier
  EXPECT_EQ(LcidFromLocaleName("C"), 0x0409u);
  EXPECT_EQ(LcidFromLocaleName("POSIX"), 0x0409u);
  EXPECT_EQ(LcidFromLocaleName("xx_YY"), 0x0409u);

  std::shared_ptr<IMultiLanguage> service;
  ASSERT_EQ(CreateMultiLanguage(&service), S_OK);
  std::wstring tag;
  ASSERT_EQ(service->GetRfc1766FromLcid(0x0C0C, &tag), S_OK);
  EXPECT_EQ(tag, L"fr-CA");
  ASSERT_EQ(service->GetRfc1766FromLcid(0x0007, &tag), S_OK);
  EXPECT_EQ(tag, L"de");
  EXPECT_EQ(service->GetRfc1766FromLcid(MakeLcid(0x07, 0x1F), &tag), E_INVALIDARG);
  EXPECT_EQ(service->GetRfc1766FromLcid(0x00FF, &tag), E_INVALIDARG);
}

TEST(WmfLocale, AllCategoriesWinOverMessagesOverLang) {
  ScopedEnvironment lang("LANG", "de_DE.UTF-8");
  ScopedEnvironment messages("LC_MESSAGES", "");
  ScopedEnvironment all("LC_ALL", "");
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0407u);
  ::setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0410u);
  ::setenv("LC_ALL", "nl_BE", 1);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0813u);
}

TEST(WmfWideText, RoundTripsAndReplacesWhatIsNotUtf8) {
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x8E\xB5";
  EXPECT_EQ(NarrowFromWide(WideFromNarrow(text)), text);
  EXPECT_EQ(WideFromNarrow("a\xFF"
                           "b"),
            L"a\uFFFDb");
  EXPECT_EQ(WideFromNarrow("\xC0\xAF"), L"\uFFFD\uFFFD");    // overlong '/'
  EXPECT_EQ(WideFromNarrow("x\xE2\x82"), L"x\uFFFD\uFFFD");  // cut short
}

}  // namespace
