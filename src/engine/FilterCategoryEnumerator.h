#pragma once
// Lists the names in a device category (capture devices, audio compressors) and binds one by
// name. A name is the moniker's "Description", else its "FriendlyName", else empty. When a
// name appears twice, binding takes the first.
// Failures set the error text to "Failed to create system enumerator", "Failed to create class
// enumerator" or "Failed to bind moniker to object".

#include <memory>
#include <string>
#include <vector>

#include "platform/media/DeviceEnumerator.h"

class FilterCategoryEnumerator {
 public:
  explicit FilterCategoryEnumerator(const CLSID& category);
  virtual ~FilterCategoryEnumerator() = default;

  // Every name in enumeration order; an empty category gives an empty list.
  HRESULT ListNames(std::vector<std::string>* names);
  // The first entry whose name equals `name` exactly; VFW_E_NOT_FOUND when there is none.
  HRESULT BindByName(const std::string& name, std::shared_ptr<IBaseFilter>* filter);

 private:
  // Lists every name when `wanted` is empty, else binds the first entry named `wanted`.
  HRESULT Enumerate(const std::string& wanted, std::vector<std::string>* names, std::shared_ptr<IBaseFilter>* bound);

  CLSID m_category;
  std::shared_ptr<IBaseFilter> m_bound;  // the filter bound last, released at the next enumeration
};

class AudioDeviceEnumerator : public FilterCategoryEnumerator {
 public:
  AudioDeviceEnumerator();

  // Capture device names; empty when the list cannot be made.
  std::vector<std::string> ListDevices();
  // The capture filter of the first device with that name; false when none binds.
  bool BindDevice(const std::string& name, std::shared_ptr<IBaseFilter>* filter);
};
