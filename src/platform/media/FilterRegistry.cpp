#include "platform/media/FilterRegistry.h"

#include <algorithm>
#include <mutex>

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<RegisteredFilter> filters;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterFilter(RegisteredFilter filter) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto& list = registry.filters;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& f) { return f.clsid == filter.clsid; }),
             list.end());
  list.push_back(std::move(filter));
}

void UnregisterFilter(REFCLSID clsid) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto& list = registry.filters;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& f) { return f.clsid == clsid; }), list.end());
}

std::vector<RegisteredFilter> RegisteredFilters() {
  Registry& registry = TheRegistry();
  std::vector<RegisteredFilter> list;
  {
    std::lock_guard lock(registry.mutex);
    list = registry.filters;
  }
  std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.merit > b.merit; });
  return list;
}
