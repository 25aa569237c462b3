#pragma once
// The system device enumerator: device categories (audio input, audio compressors ...) whose
// entries are monikers with a property bag ("Description", "FriendlyName") and a way to
// create the filter. Categories are filled by providers that the platform's device layers
// register at start-up; enumeration runs on the caller's thread.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/Filter.h"

struct IPropertyBag : virtual IUnknown {
  // E_FAIL when the property does not exist.
  virtual HRESULT Read(const std::string& name, std::string* value) = 0;
};

struct IMoniker : virtual IUnknown {
  virtual HRESULT BindToStorage(std::unique_ptr<IPropertyBag>* bag) = 0;
  virtual HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) = 0;
};

struct IEnumMoniker : virtual IUnknown {
  virtual HRESULT Next(unsigned long count, std::unique_ptr<IMoniker>* monikers, unsigned long* fetched) = 0;
  virtual HRESULT Reset() = 0;
};

struct ICreateDevEnum : virtual IUnknown {
  // S_FALSE and no enumerator when the category is empty or unknown.
  virtual HRESULT CreateClassEnumerator(REFCLSID category, std::unique_ptr<IEnumMoniker>* enumerator,
                                        uint32_t flags) = 0;
};

// One entry of a category, as a provider describes it.
struct DeviceEntry {
  std::map<std::string, std::string> properties;
  std::function<HRESULT(std::shared_ptr<IBaseFilter>*)> create;
};

using DeviceProvider = std::function<std::vector<DeviceEntry>()>;

// Replaces the provider of a category (a null provider empties it). Call at start-up.
void RegisterDeviceCategory(REFCLSID category, DeviceProvider provider);

HRESULT CreateSystemDeviceEnum(std::unique_ptr<ICreateDevEnum>* enumerator);
