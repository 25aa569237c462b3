#include "engine/WavCompressorList.h"

#include <algorithm>

#include "engine/FilterCategoryEnumerator.h"
#include "platform/shell/TextCase.h"

namespace {

// Compressors that do not work with this recorder.
constexpr const char* kNeverOffered[] = {
    "vorbis encoder", "mobile voice",           "microsoft g.723.1",      "acelp.net",
    "sharp g.726",    "windows media audio v1", "windows media audio v2", "iac2",
};

}  // namespace

HRESULT ListWavCompressors(std::vector<WavCompressorLine>* lines) {
  if (lines == nullptr) return E_POINTER;
  lines->clear();
  std::vector<std::string> names;
  const HRESULT hr = FilterCategoryEnumerator(CLSID_AudioCompressorCategory).ListNames(&names);
  for (size_t position = 0; position < names.size(); ++position) {
    const std::string lower = LowerCase(names[position]);
    if (std::none_of(std::begin(kNeverOffered), std::end(kNeverOffered),
                     [&](const char* name) { return lower == name; }))
      lines->push_back({names[position], static_cast<int>(position)});
  }
  return hr;
}
