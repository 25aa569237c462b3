#pragma once
// The runtime's codec information: codecs per media type, their formats in the current
// enumeration mode (set per codec with SetCodecEnumerationSetting), names and descriptions.
// Texts are wide; a null buffer asks for the length in characters, terminator included.

#include <memory>

#include "platform/media/Unknown.h"
#include "platform/wmf/WmfTypes.h"

struct IWMStreamConfig;

struct IWMCodecInfo : virtual IUnknown {
  virtual HRESULT GetCodecInfoCount(REFGUID majorType, uint32_t* count) = 0;
  virtual HRESULT GetCodecFormatCount(REFGUID majorType, uint32_t codecIndex, uint32_t* count) = 0;
  // A new stream configuration carrying the format's bitrate and media type.
  virtual HRESULT GetCodecFormat(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                                 std::shared_ptr<IWMStreamConfig>* config) = 0;
};

struct IWMCodecInfo2 : IWMCodecInfo {
  virtual HRESULT GetCodecName(REFGUID majorType, uint32_t codecIndex, wchar_t* name, uint32_t* length) = 0;
  // `config` may be null when only the description is wanted.
  virtual HRESULT GetCodecFormatDesc(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                                     std::shared_ptr<IWMStreamConfig>* config, wchar_t* description,
                                     uint32_t* length) = 0;
};

struct IWMCodecInfo3 : IWMCodecInfo2 {
  // Switches the formats a codec enumerates ("_VBRENABLED", "_PASSESUSED");
  // NS_E_UNSUPPORTED_PROPERTY for a setting the codec does not have.
  virtual HRESULT SetCodecEnumerationSetting(REFGUID majorType, uint32_t codecIndex, const wchar_t* name,
                                             WMT_ATTR_DATATYPE type, const uint8_t* value, uint32_t size) = 0;
};
