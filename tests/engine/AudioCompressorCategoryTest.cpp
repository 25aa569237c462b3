#include <gtest/gtest.h>

#include "engine/FilterCategoryEnumerator.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/codecs/CAudioCompressorFilter.h"

namespace {

TEST(AudioCompressorCategory, ListsTheWorkingCompressorsInOrderAndBindsFreshFilters) {
  RegisterAudioCompressors();
  FilterCategoryEnumerator category(CLSID_AudioCompressorCategory);
  std::vector<std::string> names;
  ASSERT_EQ(category.ListNames(&names), S_OK);
  // FFmpeg always has these four; GSM 6.10 needs libgsm and sits after the ADPCMs when present.
  std::vector<std::string> builtIn = names;
  std::erase(builtIn, "GSM 6.10");
  EXPECT_EQ(builtIn, (std::vector<std::string>{"IMA ADPCM", "Microsoft ADPCM", "CCITT A-Law", "CCITT u-Law"}));
  ASSERT_EQ(names.size(), AvailableAudioCompressors().size());

  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], AvailableAudioCompressors()[i]->name);
    std::shared_ptr<IBaseFilter> first, second;
    ASSERT_EQ(category.BindByName(names[i], &first), S_OK);
    ASSERT_EQ(category.BindByName(names[i], &second), S_OK);
    EXPECT_NE(first, second);
    auto* compressor = dynamic_cast<CAudioCompressorFilter*>(first.get());
    ASSERT_NE(compressor, nullptr);
    EXPECT_EQ(compressor->Description().name, names[i]);
  }
}

}  // namespace
