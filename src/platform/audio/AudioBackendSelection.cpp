#include "platform/audio/AudioBackendSelection.h"

#include <cstdlib>
#include <mutex>

#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/CAudioRendererFilter.h"
#include "platform/audio/CPcmConverterFilter.h"
#include "platform/audio/alsa/AlsaAudioBackend.h"
#include "platform/audio/pulse/PulseAudioBackend.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/media/DeviceEnumerator.h"
#include "platform/media/FilterRegistry.h"

namespace {

struct Selection {
  std::mutex mutex;
  std::shared_ptr<AudioBackend> backend;
};

Selection& TheSelection() {
  static Selection selection;
  return selection;
}

std::vector<DeviceEntry> CaptureDeviceEntries(const std::shared_ptr<AudioBackend>& backend) {
  std::vector<DeviceEntry> entries;
  const std::vector<AudioDeviceInfo> devices = backend->CaptureDevices();
  for (size_t i = 0; i < devices.size(); ++i) {
    DeviceEntry entry;
    entry.properties = {{"Description", devices[i].description}, {"FriendlyName", devices[i].friendlyName}};
    entry.create = [backend, device = static_cast<int>(i)](std::shared_ptr<IBaseFilter>* filter) {
      return CAudioCaptureFilter::Create(backend, device, filter);
    };
    entries.push_back(std::move(entry));
  }
  return entries;
}

void Register(const std::shared_ptr<AudioBackend>& backend) {
  RegisterDeviceCategory(CLSID_AudioInputDeviceCategory, [backend] { return CaptureDeviceEntries(backend); });
  RegisteredFilter renderer;
  renderer.clsid = CLSID_AudioRender;
  renderer.name = "Audio Renderer";
  renderer.merit = MERIT_PREFERRED;
  renderer.renderer = true;
  renderer.create = [backend]() -> std::shared_ptr<IBaseFilter> {
    std::shared_ptr<IBaseFilter> filter;
    CAudioRendererFilter::Create(backend, &filter);
    return filter;
  };
  RegisterFilter(std::move(renderer));
  RegisteredFilter converter;
  converter.clsid = CLSID_CorvoxPcmConverter;
  converter.name = "PCM Converter";
  converter.merit = MERIT_UNLIKELY;
  converter.create = [] { return std::make_shared<CPcmConverterFilter>(); };
  RegisterFilter(std::move(converter));
}

// In order of preference: the sound server when one answers, since it owns the cards where it
// runs; else the first that has a capture device.
std::shared_ptr<AudioBackend> DefaultBackend() {
  if (PulseAudioBackend::ServerAnswers()) return std::make_shared<PulseAudioBackend>();
  auto alsa = std::make_shared<AlsaAudioBackend>();
  if (!alsa->CaptureDevices().empty()) return alsa;
  return std::make_shared<VirtualAudioBackend>();
}

std::shared_ptr<AudioBackend> MakeBackend(const std::string& name) {
  if (name == "virtual") return std::make_shared<VirtualAudioBackend>();
  if (name == "alsa") return std::make_shared<AlsaAudioBackend>();
  if (name == "pulse")
    return PulseAudioBackend::ServerAnswers() ? std::shared_ptr<AudioBackend>(std::make_shared<PulseAudioBackend>())
                                              : std::make_shared<AlsaAudioBackend>();
  return DefaultBackend();
}

}  // namespace

std::shared_ptr<AudioBackend> SelectAudioBackend(const std::string& choice) {
  std::string name = choice;
  if (name.empty()) {
    const char* environment = std::getenv("CORVOX_AUDIO");
    name = environment ? environment : "";
  }
  if (!name.empty() && name != "pulse" && name != "alsa" && name != "virtual") {
    SetErrorInfo("Unknown audio backend \"" + name + "\"; choose pulse, alsa or virtual.");
    return nullptr;
  }
  std::shared_ptr<AudioBackend> backend = MakeBackend(name);
  UseAudioBackend(backend);
  return backend;
}

void UseAudioBackend(std::shared_ptr<AudioBackend> backend) {
  Register(backend);
  Selection& selection = TheSelection();
  std::lock_guard lock(selection.mutex);
  selection.backend = std::move(backend);
}

std::shared_ptr<AudioBackend> CurrentAudioBackend() {
  {
    Selection& selection = TheSelection();
    std::lock_guard lock(selection.mutex);
    if (selection.backend) return selection.backend;
  }
  return SelectAudioBackend("");
}
