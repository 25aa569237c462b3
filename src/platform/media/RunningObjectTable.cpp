#include "platform/media/RunningObjectTable.h"

#include <algorithm>
#include <mutex>

namespace {

class CRunningObjectTable : public IRunningObjectTable {
 public:
  HRESULT Register(uint32_t flags, const std::shared_ptr<IUnknown>& object, const ItemMoniker& name,
                   uint32_t* cookie) override {
    if (!object || cookie == nullptr) return E_POINTER;
    std::lock_guard lock(m_mutex);
    const std::string display = name.DisplayName();
    const bool duplicate =
        std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.name == display; });
    Entry entry{++m_lastCookie, display, {}, object};
    if (flags & ROTFLAGS_REGISTRATIONKEEPSALIVE) entry.strong = object;
    m_entries.push_back(std::move(entry));
    *cookie = m_lastCookie;
    return duplicate ? MK_S_MONIKERALREADYREGISTERED : S_OK;
  }

  HRESULT Revoke(uint32_t cookie) override {
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.cookie == cookie; });
    if (it == m_entries.end()) return E_INVALIDARG;
    m_entries.erase(it);
    return S_OK;
  }

  std::vector<std::string> RegisteredNames() override {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    for (const Entry& e : m_entries)
      if (!e.weak.expired()) names.push_back(e.name);
    return names;
  }

 private:
  struct Entry {
    uint32_t cookie;
    std::string name;
    std::shared_ptr<IUnknown> strong;
    std::weak_ptr<IUnknown> weak;
  };

  std::mutex m_mutex;
  std::vector<Entry> m_entries;
  uint32_t m_lastCookie = 0;
};

}  // namespace

HRESULT CreateItemMoniker(const std::string& delimiter, const std::string& item, ItemMoniker* moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = {delimiter, item};
  return S_OK;
}

HRESULT GetRunningObjectTable(IRunningObjectTable** table) {
  if (table == nullptr) return E_POINTER;
  static CRunningObjectTable instance;
  *table = &instance;
  return S_OK;
}
