#pragma once

#include <cstddef>

// One field of a settings record: how the command line names it and where its bytes lie.
// Each record lists its fields once, in its VisitFields, as (RecordField, member) pairs; the
// field's width and encoding follow from the member's type (little-endian integers, IEEE double).
struct RecordField {
  const char* name;     // short camelCase with its unit, e.g. "latencyMs"
  size_t offset;        // bytes from the start of the record
  bool isFlag = false;  // a yes/no field: 0 or 1
};
