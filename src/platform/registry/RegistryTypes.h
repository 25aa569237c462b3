#pragma once

// Value types, result codes and the in-memory form of the per-user registry, with the
// platform's numbers.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

using LSTATUS = int32_t;

inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_CANTOPEN = 1011;
inline constexpr LSTATUS ERROR_CANTREAD = 1012;
inline constexpr LSTATUS ERROR_CANTWRITE = 1013;
inline constexpr LSTATUS ERROR_CANCELLED = 1223;

inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// One value: its type and its bytes exactly as the setter gave them (a REG_SZ includes the
// terminating zero the setter wrote, or lacks it when the setter left it out).
struct RegistryValue {
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;

  bool operator==(const RegistryValue&) const = default;
};

// Key paths and value names compare without regard to ASCII case, as the registry's do; the
// spelling of the first writer is kept.
struct RegistryNameLess {
  using is_transparent = void;
  bool operator()(std::string_view left, std::string_view right) const;
};

using RegistryValueMap = std::map<std::string, RegistryValue, RegistryNameLess>;

// Key path ("Software\Vantro Solutions\Corvox", '\' between levels) to the key's values.
using RegistryKeyMap = std::map<std::string, RegistryValueMap, RegistryNameLess>;
