#include "engine/FilterCategoryEnumerator.h"

namespace {

std::string NameOf(IMoniker* moniker) {
  std::unique_ptr<IPropertyBag> bag;
  if (FAILED(moniker->BindToStorage(&bag)) || !bag) return {};
  std::string name;
  if (SUCCEEDED(bag->Read("Description", &name))) return name;
  if (SUCCEEDED(bag->Read("FriendlyName", &name))) return name;
  return {};
}

}  // namespace

FilterCategoryEnumerator::FilterCategoryEnumerator(const CLSID& category) : m_category(category) {}

HRESULT FilterCategoryEnumerator::ListNames(std::vector<std::string>* names) {
  if (names == nullptr) return E_POINTER;
  names->clear();
  return Enumerate({}, names, nullptr);
}

HRESULT FilterCategoryEnumerator::BindByName(const std::string& name, std::shared_ptr<IBaseFilter>* filter) {
  if (filter == nullptr) return E_POINTER;
  filter->reset();
  if (name.empty()) return VFW_E_NOT_FOUND;
  return Enumerate(name, nullptr, filter);
}

HRESULT FilterCategoryEnumerator::Enumerate(const std::string& wanted, std::vector<std::string>* names,
                                            std::shared_ptr<IBaseFilter>* bound) {
  m_bound.reset();
  std::unique_ptr<ICreateDevEnum> devices;
  HRESULT hr = CreateSystemDeviceEnum(&devices);
  if (FAILED(hr) || !devices) {
    SetErrorInfo("Failed to create system enumerator");
    return FAILED(hr) ? hr : E_FAIL;
  }
  std::unique_ptr<IEnumMoniker> monikers;
  hr = devices->CreateClassEnumerator(m_category, &monikers, 0);
  if (FAILED(hr)) {
    SetErrorInfo("Failed to create class enumerator");
    return hr;
  }
  if (!monikers) return wanted.empty() ? S_OK : VFW_E_NOT_FOUND;

  monikers->Reset();
  std::unique_ptr<IMoniker> moniker;
  unsigned long fetched = 0;
  while (monikers->Next(1, &moniker, &fetched) == S_OK && fetched == 1) {
    const std::string name = NameOf(moniker.get());
    if (wanted.empty()) {
      names->push_back(name);
      continue;
    }
    if (name != wanted) continue;
    hr = moniker->BindToObject(&m_bound);
    if (FAILED(hr) || !m_bound) {
      SetErrorInfo("Failed to bind moniker to object");
      m_bound.reset();
      return FAILED(hr) ? hr : E_FAIL;
    }
    *bound = m_bound;
    return S_OK;
  }
  return wanted.empty() ? S_OK : VFW_E_NOT_FOUND;
}

AudioDeviceEnumerator::AudioDeviceEnumerator() : FilterCategoryEnumerator(CLSID_AudioInputDeviceCategory) {}

std::vector<std::string> AudioDeviceEnumerator::ListDevices() {
  std::vector<std::string> names;
  if (FAILED(ListNames(&names))) names.clear();
  return names;
}

bool AudioDeviceEnumerator::BindDevice(const std::string& name, std::shared_ptr<IBaseFilter>* filter) {
  return SUCCEEDED(BindByName(name, filter)) && *filter;
}
