#include "filters/Mp3EncoderSettings.h"

#include "platform/media/WaveFormat.h"

void Mp3EncoderSettings::ToBytes(uint8_t* bytes) const {
  for (size_t i = 0; i < kWords; ++i) PutLe32(bytes + 4 * i, static_cast<uint32_t>(words[i]));
}

Mp3EncoderSettings Mp3EncoderSettings::FromBytes(const uint8_t* bytes) {
  Mp3EncoderSettings settings;
  for (size_t i = 0; i < kWords; ++i) settings.words[i] = static_cast<int32_t>(GetLe32(bytes + 4 * i));
  return settings;
}
