#include "platform/media/DeviceEnumerator.h"

#include <mutex>

namespace {

struct CategoryTable {
  std::mutex mutex;
  std::vector<std::pair<CLSID, DeviceProvider>> providers;
};

CategoryTable& Categories() {
  static CategoryTable table;
  return table;
}

class CPropertyBag : public IPropertyBag {
 public:
  explicit CPropertyBag(std::map<std::string, std::string> properties) : m_properties(std::move(properties)) {}

  HRESULT Read(const std::string& name, std::string* value) override {
    if (value == nullptr) return E_POINTER;
    auto it = m_properties.find(name);
    if (it == m_properties.end()) return E_FAIL;
    *value = it->second;
    return S_OK;
  }

 private:
  std::map<std::string, std::string> m_properties;
};

class CDeviceMoniker : public IMoniker {
 public:
  explicit CDeviceMoniker(DeviceEntry entry) : m_entry(std::move(entry)) {}

  HRESULT BindToStorage(std::unique_ptr<IPropertyBag>* bag) override {
    if (bag == nullptr) return E_POINTER;
    *bag = std::make_unique<CPropertyBag>(m_entry.properties);
    return S_OK;
  }

  HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) override {
    if (filter == nullptr) return E_POINTER;
    if (!m_entry.create) return E_FAIL;
    filter->reset();
    const HRESULT hr = m_entry.create(filter);
    if (SUCCEEDED(hr) && !*filter) return E_FAIL;
    return hr;
  }

 private:
  DeviceEntry m_entry;
};

class CEnumMoniker : public IEnumMoniker {
 public:
  explicit CEnumMoniker(std::vector<DeviceEntry> entries) : m_entries(std::move(entries)) {}

  HRESULT Next(unsigned long count, std::unique_ptr<IMoniker>* monikers, unsigned long* fetched) override {
    if (monikers == nullptr) return E_POINTER;
    unsigned long n = 0;
    while (n < count && m_position < m_entries.size())
      monikers[n++] = std::make_unique<CDeviceMoniker>(m_entries[m_position++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }

  HRESULT Reset() override {
    m_position = 0;
    return S_OK;
  }

 private:
  std::vector<DeviceEntry> m_entries;
  size_t m_position = 0;
};

class CSystemDeviceEnum : public ICreateDevEnum {
 public:
  HRESULT CreateClassEnumerator(REFCLSID category, std::unique_ptr<IEnumMoniker>* enumerator, uint32_t) override {
    if (enumerator == nullptr) return E_POINTER;
    enumerator->reset();
    DeviceProvider provider;
    {
      CategoryTable& table = Categories();
      std::lock_guard lock(table.mutex);
      for (const auto& [id, p] : table.providers)
        if (id == category) provider = p;
    }
    if (!provider) return S_FALSE;
    std::vector<DeviceEntry> entries = provider();
    if (entries.empty()) return S_FALSE;
    *enumerator = std::make_unique<CEnumMoniker>(std::move(entries));
    return S_OK;
  }
};

}  // namespace

void RegisterDeviceCategory(REFCLSID category, DeviceProvider provider) {
  CategoryTable& table = Categories();
  std::lock_guard lock(table.mutex);
  for (auto& [id, p] : table.providers) {
    if (id == category) {
      p = std::move(provider);
      return;
    }
  }
  table.providers.emplace_back(category, std::move(provider));
}

HRESULT CreateSystemDeviceEnum(std::unique_ptr<ICreateDevEnum>* enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = std::make_unique<CSystemDeviceEnum>();
  return S_OK;
}
