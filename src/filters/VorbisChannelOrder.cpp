#include "filters/VorbisChannelOrder.h"

#include <cstddef>

std::vector<int> PlatformToVorbisChannels(int channels) {
  if (channels == 6) return {0, 2, 1, 5, 3, 4};
  std::vector<int> map(channels > 0 ? channels : 0);
  for (int k = 0; k < channels; ++k) map[k] = k;
  return map;
}

std::vector<int> VorbisToPlatformChannels(int channels) {
  const std::vector<int> forward = PlatformToVorbisChannels(channels);
  std::vector<int> inverse(forward.size());
  for (size_t k = 0; k < forward.size(); ++k) inverse[forward[k]] = static_cast<int>(k);
  return inverse;
}
