#pragma once

// Conversions between stored registry values and the settings' C++ values, with the readers'
// rules: a value of the wrong type or size counts as missing. Pure functions.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry/RegistryTypes.h"
#include "settings/RecordCodec.h"

// Succeeds only for REG_DWORD with exactly 4 bytes.
bool DecodeDwordValue(const RegistryValue& value, uint32_t& number);
RegistryValue EncodeDwordValue(uint32_t number);

// Succeeds only for REG_SZ or REG_EXPAND_SZ of at most maxBytes that end with their terminating
// zero; the text runs to the first zero.
bool DecodeStringValue(const RegistryValue& value, size_t maxBytes, std::string& text);
RegistryValue EncodeStringValue(const std::string& text);

// Succeeds only for REG_BINARY of at most the record's size; the stored bytes are laid over the
// record as the caller filled it (its defaults), so a short value keeps the rest. A longer value
// does not fit the record and counts as malformed: the record is left untouched.
template <typename Record>
bool DecodeRecordValue(const RegistryValue& value, Record& record) {
  if (value.type != REG_BINARY || value.data.size() > Record::kSizeBytes) {
    return false;
  }
  DecodeRecord(value.data, record);
  return true;
}

template <typename Record>
RegistryValue EncodeRecordValue(const Record& record) {
  const auto bytes = EncodeRecord(record);
  return RegistryValue{REG_BINARY, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}
