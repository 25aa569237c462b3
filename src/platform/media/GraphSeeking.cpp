#include "platform/media/GraphSeeking.h"

namespace {

uint32_t CapabilitiesOf(IMediaSeeking* seeking) {
  uint32_t capabilities = 0;
  return SUCCEEDED(seeking->GetCapabilities(&capabilities)) ? capabilities : 0;
}

template <class Keep>
std::vector<IMediaSeeking*> SeekingWhere(const std::vector<std::shared_ptr<IBaseFilter>>& filters, Keep keep) {
  std::vector<IMediaSeeking*> found;
  for (const auto& filter : filters) {
    auto* seeking = QueryInterface<IMediaSeeking>(filter.get());
    if (seeking && keep(CapabilitiesOf(seeking))) found.push_back(seeking);
  }
  return found;
}

}  // namespace

std::vector<IMediaSeeking*> SeekableFilters(const std::vector<std::shared_ptr<IBaseFilter>>& filters) {
  return SeekingWhere(filters, [](uint32_t caps) { return (caps & AM_SEEKING_CanSeekAbsolute) != 0; });
}

std::vector<IMediaSeeking*> PositionReporters(const std::vector<std::shared_ptr<IBaseFilter>>& filters) {
  return SeekingWhere(filters, [](uint32_t caps) {
    return (caps & AM_SEEKING_CanSeekAbsolute) == 0 && (caps & AM_SEEKING_CanGetCurrentPos) != 0;
  });
}

std::vector<IBasicAudio*> VolumeControls(const std::vector<std::shared_ptr<IBaseFilter>>& filters) {
  std::vector<IBasicAudio*> found;
  for (const auto& filter : filters)
    if (auto* audio = QueryInterface<IBasicAudio>(filter.get())) found.push_back(audio);
  return found;
}
