#include "platform/codecs/AudioCompressorCategory.h"

#include "platform/codecs/CAudioCompressorFilter.h"
#include "platform/media/DeviceEnumerator.h"

std::vector<const AudioCompressorDescription*> AvailableAudioCompressors() {
  std::vector<const AudioCompressorDescription*> available;
  for (const AudioCompressorDescription& description : KnownAudioCompressors())
    if (description.IsUsable()) available.push_back(&description);
  return available;
}

void RegisterAudioCompressors() {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, [] {
    std::vector<DeviceEntry> entries;
    for (const AudioCompressorDescription* description : AvailableAudioCompressors()) {
      DeviceEntry entry;
      entry.properties = {{"Description", description->name}, {"FriendlyName", description->name}};
      entry.create = [description](std::shared_ptr<IBaseFilter>* filter) {
        return CAudioCompressorFilter::Create(*description, filter);
      };
      entries.push_back(std::move(entry));
    }
    return entries;
  });
}
