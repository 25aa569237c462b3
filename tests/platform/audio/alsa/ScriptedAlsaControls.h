#pragma once
// A card's capture controls as a test scripts them: elements with values held in memory,
// changes reported like the card reports them (to every user, its own changes included), and
// "another program" changing a value behind the mixer's back.

#include <functional>
#include <vector>

#include "platform/audio/alsa/AlsaControlSource.h"

class ScriptedAlsaControls : public AlsaControlSource {
 public:
  struct Values {
    long volume = 0;
    bool on = false;
    unsigned item = 0;
  };

  explicit ScriptedAlsaControls(std::vector<AlsaElement> elements)
      : m_elements(std::move(elements)), m_values(m_elements.size()) {}

  const std::vector<AlsaElement>& Elements() const override { return m_elements; }
  HRESULT GetVolume(size_t e, long* value) override { return Get(e, value, &Values::volume); }
  HRESULT SetVolume(size_t e, long value) override { return Set(e, value, &Values::volume); }
  HRESULT GetSwitch(size_t e, bool* on) override { return Get(e, on, &Values::on); }
  HRESULT SetSwitch(size_t e, bool on) override { return Set(e, on, &Values::on); }
  HRESULT GetEnumItem(size_t e, unsigned* item) override { return Get(e, item, &Values::item); }
  HRESULT SetEnumItem(size_t e, unsigned item) override { return Set(e, item, &Values::item); }
  void SetChangeCallback(std::function<void(size_t)> changed) override { m_changed = std::move(changed); }

  // Another program's change.
  Values& At(size_t element) { return m_values[element]; }
  void ChangedElsewhere(size_t element) {
    if (m_changed) m_changed(element);
  }
  // Every read and write fails from now on.
  void Break() { m_broken = true; }

 private:
  template <typename T>
  HRESULT Get(size_t e, T* out, T Values::*field) {
    if (m_broken || e >= m_values.size()) return E_FAIL;
    *out = m_values[e].*field;
    return S_OK;
  }
  template <typename T>
  HRESULT Set(size_t e, T value, T Values::*field) {
    if (m_broken || e >= m_values.size()) return E_FAIL;
    m_values[e].*field = value;
    ChangedElsewhere(e);
    return S_OK;
  }

  std::vector<AlsaElement> m_elements;
  std::vector<Values> m_values;
  std::function<void(size_t)> m_changed;
  bool m_broken = false;
};

// Element builders for scripts.
inline AlsaElement VolumeElement(const std::string& name, long min, long max, bool captureSwitch = false) {
  AlsaElement e;
  e.name = name;
  e.captureVolume = true;
  e.volumeMin = min;
  e.volumeMax = max;
  e.captureSwitch = captureSwitch;
  return e;
}

inline AlsaElement SwitchElement(const std::string& name) {
  AlsaElement e;
  e.name = name;
  e.captureSwitch = true;
  return e;
}

inline AlsaElement SourceEnum(const std::string& name, std::vector<std::string> items) {
  AlsaElement e;
  e.name = name;
  e.captureEnum = true;
  e.enumItems = std::move(items);
  return e;
}
