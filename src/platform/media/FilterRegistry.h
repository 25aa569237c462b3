#pragma once
// Filters the graph may create on its own: renderers for Render, converters for intelligent
// Connect. Registered at start-up by the platform's device and codec layers; read by graphs
// on their control thread. The registry's mutex guards the list.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/Filter.h"

constexpr uint32_t MERIT_PREFERRED = 0x800000;
constexpr uint32_t MERIT_NORMAL = 0x600000;
constexpr uint32_t MERIT_UNLIKELY = 0x400000;
// Created by class id only: Connect and Render never try it.
constexpr uint32_t MERIT_DO_NOT_USE = 0x200000;

struct RegisteredFilter {
  CLSID clsid;
  std::string name;
  uint32_t merit = MERIT_NORMAL;
  bool renderer = false;
  std::function<std::shared_ptr<IBaseFilter>()> create;
};

// Adds the filter, or replaces the one with the same class id.
void RegisterFilter(RegisteredFilter filter);
void UnregisterFilter(REFCLSID clsid);
// Highest merit first.
std::vector<RegisteredFilter> RegisteredFilters();
