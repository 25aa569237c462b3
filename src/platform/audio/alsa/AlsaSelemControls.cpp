#include "platform/audio/alsa/AlsaSelemControls.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <system_error>
#include <vector>

#include "platform/audio/alsa/AlsaError.h"

namespace {

constexpr int kEventPollMs = 100;

std::string ElementName(snd_mixer_elem_t* elem) {
  std::string name = snd_mixer_selem_get_name(elem);
  const unsigned index = snd_mixer_selem_get_index(elem);
  return index > 0 ? name + " " + std::to_string(index) : name;
}

}  // namespace

HRESULT AlsaSelemControls::Open(const std::string& card, std::unique_ptr<AlsaControlSource>* controls) {
  if (controls == nullptr) return E_POINTER;
  controls->reset();
  SilenceAlsaDiagnostics();
  snd_mixer_t* mixer = nullptr;
  int error = snd_mixer_open(&mixer, 0);
  if (error < 0) return AlsaFailure(error, "The ALSA mixer could not be created");
  std::unique_ptr<AlsaSelemControls> opened(new AlsaSelemControls(mixer, card));
  error = snd_mixer_attach(mixer, card.c_str());
  if (error >= 0) error = snd_mixer_selem_register(mixer, nullptr, nullptr);
  if (error >= 0) error = snd_mixer_load(mixer);
  if (error < 0) return AlsaFailure(error, "The mixer of \"" + card + "\" could not be opened");
  opened->Collect();
  try {
    opened->m_thread = std::thread(&AlsaSelemControls::EventThread, opened.get());
  } catch (const std::system_error&) {
    SetErrorInfo("The mixer's event thread could not be started.");
    return E_OUTOFMEMORY;
  }
  *controls = std::move(opened);
  return S_OK;
}

AlsaSelemControls::AlsaSelemControls(snd_mixer_t* mixer, std::string card) : m_mixer(mixer), m_card(std::move(card)) {}

AlsaSelemControls::~AlsaSelemControls() {
  m_stopping = true;
  if (m_thread.joinable()) m_thread.join();
  snd_mixer_close(m_mixer);
}

void AlsaSelemControls::Collect() {
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(m_mixer); elem; elem = snd_mixer_elem_next(elem)) {
    if (!snd_mixer_selem_is_active(elem)) continue;
    AlsaElement element;
    element.name = ElementName(elem);
    element.captureVolume = snd_mixer_selem_has_capture_volume(elem);
    if (element.captureVolume) snd_mixer_selem_get_capture_volume_range(elem, &element.volumeMin, &element.volumeMax);
    element.captureSwitch = snd_mixer_selem_has_capture_switch(elem);
    element.captureEnum = snd_mixer_selem_is_enumerated(elem) && snd_mixer_selem_is_enum_capture(elem);
    if (element.captureEnum) {
      const int items = snd_mixer_selem_get_enum_items(elem);
      for (int i = 0; i < items; ++i) {
        char name[64] = {};
        snd_mixer_selem_get_enum_item_name(elem, static_cast<unsigned>(i), sizeof name - 1, name);
        element.enumItems.emplace_back(name);
      }
    }
    if (!element.captureVolume && !element.captureSwitch && !element.captureEnum) continue;
    m_bindings.push_back(std::make_unique<Binding>(Binding{this, m_elements.size()}));
    snd_mixer_elem_set_callback_private(elem, m_bindings.back().get());
    snd_mixer_elem_set_callback(elem, &AlsaSelemControls::OnElementEvent);
    m_elements.push_back(std::move(element));
    m_handles.push_back(elem);
  }
}

void AlsaSelemControls::EventThread() {
  std::vector<pollfd> fds;
  while (!m_stopping) {
    {
      std::lock_guard lock(m_mutex);
      const int count = snd_mixer_poll_descriptors_count(m_mixer);
      fds.resize(count > 0 ? static_cast<size_t>(count) : 0);
      if (!fds.empty()) snd_mixer_poll_descriptors(m_mixer, fds.data(), static_cast<unsigned>(fds.size()));
    }
    if (poll(fds.data(), fds.size(), kEventPollMs) <= 0) continue;
    std::lock_guard lock(m_mutex);
    unsigned short revents = 0;
    snd_mixer_poll_descriptors_revents(m_mixer, fds.data(), static_cast<unsigned>(fds.size()), &revents);
    // A card that went away keeps reporting errors; the operations fail from then on.
    if (revents & (POLLERR | POLLNVAL | POLLHUP)) return;
    snd_mixer_handle_events(m_mixer);
  }
}

int AlsaSelemControls::OnElementEvent(snd_mixer_elem_t* elem, unsigned int mask) {
  const auto* binding = static_cast<const Binding*>(snd_mixer_elem_get_callback_private(elem));
  if (binding != nullptr && (mask & SND_CTL_EVENT_MASK_VALUE) && mask != SND_CTL_EVENT_MASK_REMOVE &&
      binding->owner->m_changed)
    binding->owner->m_changed(binding->element);
  return 0;
}

void AlsaSelemControls::SetChangeCallback(std::function<void(size_t element)> changed) {
  std::lock_guard lock(m_mutex);
  m_changed = std::move(changed);
}

HRESULT AlsaSelemControls::Failure(int error, size_t element, const char* what) const {
  return AlsaFailure(
      error, std::string("Could not ") + what + " of \"" + m_elements[element].name + "\" on \"" + m_card + "\"");
}

HRESULT AlsaSelemControls::GetVolume(size_t element, long* value) {
  if (element >= m_handles.size() || value == nullptr) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  const int error = snd_mixer_selem_get_capture_volume(m_handles[element], SND_MIXER_SCHN_FRONT_LEFT, value);
  return error < 0 ? Failure(error, element, "read the capture volume") : S_OK;
}

HRESULT AlsaSelemControls::SetVolume(size_t element, long value) {
  if (element >= m_handles.size()) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  const int error = snd_mixer_selem_set_capture_volume_all(m_handles[element], value);
  return error < 0 ? Failure(error, element, "set the capture volume") : S_OK;
}

HRESULT AlsaSelemControls::GetSwitch(size_t element, bool* on) {
  if (element >= m_handles.size() || on == nullptr) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  int value = 0;
  const int error = snd_mixer_selem_get_capture_switch(m_handles[element], SND_MIXER_SCHN_FRONT_LEFT, &value);
  if (error < 0) return Failure(error, element, "read the capture switch");
  *on = value != 0;
  return S_OK;
}

HRESULT AlsaSelemControls::SetSwitch(size_t element, bool on) {
  if (element >= m_handles.size()) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  const int error = snd_mixer_selem_set_capture_switch_all(m_handles[element], on ? 1 : 0);
  return error < 0 ? Failure(error, element, "set the capture switch") : S_OK;
}

HRESULT AlsaSelemControls::GetEnumItem(size_t element, unsigned* item) {
  if (element >= m_handles.size() || item == nullptr) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  const int error = snd_mixer_selem_get_enum_item(m_handles[element], SND_MIXER_SCHN_FRONT_LEFT, item);
  return error < 0 ? Failure(error, element, "read the capture source") : S_OK;
}

HRESULT AlsaSelemControls::SetEnumItem(size_t element, unsigned item) {
  if (element >= m_handles.size()) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  snd_mixer_elem_t* elem = m_handles[element];
  int error = snd_mixer_selem_set_enum_item(elem, SND_MIXER_SCHN_FRONT_LEFT, item);
  // Enumerations split per channel follow the first.
  for (int channel = SND_MIXER_SCHN_FRONT_RIGHT; error >= 0 && channel <= SND_MIXER_SCHN_LAST; ++channel) {
    const auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
    if (snd_mixer_selem_has_capture_channel(elem, id)) snd_mixer_selem_set_enum_item(elem, id, item);
  }
  return error < 0 ? Failure(error, element, "set the capture source") : S_OK;
}
