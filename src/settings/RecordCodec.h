#pragma once

// Byte layouts of the settings records, driven by each record's VisitFields: no struct is ever
// reinterpreted as bytes, so the layout does not depend on the compiler's padding.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <type_traits>

template <typename Field>
void StoreLittleEndian(uint8_t* at, Field value) {
  if constexpr (std::is_same_v<Field, double>) {
    StoreLittleEndian(at, std::bit_cast<uint64_t>(value));
  } else {
    using Unsigned = std::make_unsigned_t<Field>;
    const auto bits = static_cast<Unsigned>(value);
    for (size_t i = 0; i < sizeof(Field); ++i) {
      at[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
  }
}

template <typename Field>
Field LoadLittleEndian(const uint8_t* at) {
  if constexpr (std::is_same_v<Field, double>) {
    return std::bit_cast<double>(LoadLittleEndian<uint64_t>(at));
  } else {
    using Unsigned = std::make_unsigned_t<Field>;
    Unsigned bits = 0;
    for (size_t i = 0; i < sizeof(Field); ++i) {
      bits = static_cast<Unsigned>(bits | static_cast<Unsigned>(at[i]) << (8 * i));
    }
    return static_cast<Field>(bits);
  }
}

// The record's bytes; padding bytes are zero.
template <typename Record>
std::array<uint8_t, Record::kSizeBytes> EncodeRecord(const Record& record) {
  std::array<uint8_t, Record::kSizeBytes> bytes{};
  Record::VisitFields(
      record, [&](const auto& field, const auto& member) { StoreLittleEndian(bytes.data() + field.offset, member); });
  return bytes;
}

// Lays the stored bytes over the record as it stands (its defaults, usually), byte for byte as
// the registry would copy them into a buffer: bytes beyond the stored ones keep the record's own.
// Stored bytes beyond the record's size are ignored.
template <typename Record>
void DecodeRecord(std::span<const uint8_t> stored, Record& record) {
  std::array<uint8_t, Record::kSizeBytes> bytes = EncodeRecord(record);
  std::copy_n(stored.begin(), std::min(stored.size(), bytes.size()), bytes.begin());
  Record::VisitFields(record, [&](const auto& field, auto& member) {
    member = LoadLittleEndian<std::remove_reference_t<decltype(member)>>(bytes.data() + field.offset);
  });
}
