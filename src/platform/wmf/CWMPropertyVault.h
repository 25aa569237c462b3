#pragma once
// Named, typed property values, kept byte for byte. Used from one thread at a time.

#include <map>
#include <string>
#include <vector>

#include "platform/wmf/WMStreamConfig.h"

class CWMPropertyVault : public virtual IWMPropertyVault {
 public:
  HRESULT GetPropertyByName(const wchar_t* name, WMT_ATTR_DATATYPE* type, uint8_t* value, uint32_t* size) override;
  HRESULT SetProperty(const wchar_t* name, WMT_ATTR_DATATYPE type, const uint8_t* value, uint32_t size) override;

  // A BOOL property's value; false when not set.
  bool BoolProperty(const wchar_t* name) const;

 private:
  struct Property {
    WMT_ATTR_DATATYPE type;
    std::vector<uint8_t> value;
  };
  std::map<std::wstring, Property> m_properties;
};
