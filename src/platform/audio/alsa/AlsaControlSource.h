#pragma once
// The capture controls of one ALSA card as AlsaMixerDevice sees them: simple mixer elements
// with a capture volume, a capture switch, or a capture-source enumeration. The card's
// snd_mixer stands behind it in use (AlsaSelemControls), a scripted set in tests.
//
// Threads: the operations come from the mixer device's user; the change callback is called
// from the source's own thread, or from the caller's when it changed the value itself.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/media/HResult.h"

struct AlsaElement {
  std::string name;
  bool captureVolume = false;
  long volumeMin = 0;
  long volumeMax = 0;
  bool captureSwitch = false;
  bool captureEnum = false;  // chooses the capture source among `enumItems`
  std::vector<std::string> enumItems;
};

class AlsaControlSource {
 public:
  virtual ~AlsaControlSource() = default;

  // Fixed for the source's life; operations address elements by their position here.
  virtual const std::vector<AlsaElement>& Elements() const = 0;

  // Read the first channel; write every channel.
  virtual HRESULT GetVolume(size_t element, long* value) = 0;
  virtual HRESULT SetVolume(size_t element, long value) = 0;
  virtual HRESULT GetSwitch(size_t element, bool* on) = 0;
  virtual HRESULT SetSwitch(size_t element, bool on) = 0;
  virtual HRESULT GetEnumItem(size_t element, unsigned* item) = 0;
  virtual HRESULT SetEnumItem(size_t element, unsigned item) = 0;

  // Called with the element's position whenever one of its values changed. Set once, before
  // the first change; the source stops calling before it is destroyed.
  virtual void SetChangeCallback(std::function<void(size_t element)> changed) = 0;
};
