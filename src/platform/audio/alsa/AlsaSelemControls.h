#pragma once
// The capture controls of one ALSA card through its simple mixer interface, with a thread of
// its own that waits for the card's control events (changes by any program) and reports them
// through the change callback.
//
// Threads: operations from the mixer device's user; the callback from the event thread.
// m_mutex guards every snd_mixer call and m_changed; the event thread polls without it and
// takes it to handle the events, so the callback runs under it.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/alsa/AlsaControlSource.h"

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

class AlsaSelemControls : public AlsaControlSource {
 public:
  // Opens the mixer of `card` ("hw:CARD=<id>"). A card that cannot be opened gives its code
  // and a readable text.
  static HRESULT Open(const std::string& card, std::unique_ptr<AlsaControlSource>* controls);
  ~AlsaSelemControls() override;

  const std::vector<AlsaElement>& Elements() const override { return m_elements; }
  HRESULT GetVolume(size_t element, long* value) override;
  HRESULT SetVolume(size_t element, long value) override;
  HRESULT GetSwitch(size_t element, bool* on) override;
  HRESULT SetSwitch(size_t element, bool on) override;
  HRESULT GetEnumItem(size_t element, unsigned* item) override;
  HRESULT SetEnumItem(size_t element, unsigned item) override;
  void SetChangeCallback(std::function<void(size_t element)> changed) override;

 private:
  struct Binding {
    AlsaSelemControls* owner;
    size_t element;
  };

  AlsaSelemControls(snd_mixer_t* mixer, std::string card);
  void Collect();
  void EventThread();
  static int OnElementEvent(snd_mixer_elem_t* elem, unsigned int mask);
  // A failure code for `error` from ALSA, with "Could not <what> of <element> on <card>".
  HRESULT Failure(int error, size_t element, const char* what) const;

  snd_mixer_t* const m_mixer;
  const std::string m_card;
  std::vector<AlsaElement> m_elements;
  std::vector<snd_mixer_elem_t*> m_handles;
  std::vector<std::unique_ptr<Binding>> m_bindings;
  std::mutex m_mutex;
  std::function<void(size_t)> m_changed;
  std::atomic<bool> m_stopping{false};
  std::thread m_thread;
};
