#pragma once
// A stream of a Windows Media profile: its number, name, bitrate, buffer window and language
// (IWMStreamConfig3), its media type (IWMMediaProps) and named properties (IWMPropertyVault).
// One object offers all of them.

#include <string>

#include "platform/media/Unknown.h"
#include "platform/wmf/WmfTypes.h"

struct IWMStreamConfig : virtual IUnknown {
  virtual HRESULT GetStreamType(GUID* type) = 0;
  virtual HRESULT GetStreamNumber(uint16_t* number) = 0;
  // Numbers 1 to 63.
  virtual HRESULT SetStreamNumber(uint16_t number) = 0;
  virtual HRESULT GetStreamName(std::wstring* name) = 0;
  virtual HRESULT SetStreamName(const wchar_t* name) = 0;
  virtual HRESULT GetBitrate(uint32_t* bitsPerSecond) = 0;
  virtual HRESULT SetBitrate(uint32_t bitsPerSecond) = 0;
  virtual HRESULT GetBufferWindow(uint32_t* milliseconds) = 0;
  virtual HRESULT SetBufferWindow(uint32_t milliseconds) = 0;
};

struct IWMStreamConfig2 : IWMStreamConfig {};

struct IWMStreamConfig3 : IWMStreamConfig2 {
  // An RFC 1766 tag such as "en-US".
  virtual HRESULT GetLanguage(std::wstring* tag) = 0;
  virtual HRESULT SetLanguage(const wchar_t* tag) = 0;
};

struct IWMMediaProps : virtual IUnknown {
  virtual HRESULT GetType(GUID* majorType) = 0;
  // `type` null: *bytes receives the size the type needs. Otherwise *bytes is the room the
  // caller has; too little fails with E_INVALIDARG.
  virtual HRESULT GetMediaType(WM_MEDIA_TYPE* type, uint32_t* bytes) = 0;
  virtual HRESULT SetMediaType(const WM_MEDIA_TYPE* type) = 0;
};

struct IWMPropertyVault : virtual IUnknown {
  // `value` null: *size receives the value's size. NS_E_UNSUPPORTED_PROPERTY when not set.
  virtual HRESULT GetPropertyByName(const wchar_t* name, WMT_ATTR_DATATYPE* type, uint8_t* value, uint32_t* size) = 0;
  virtual HRESULT SetProperty(const wchar_t* name, WMT_ATTR_DATATYPE type, const uint8_t* value, uint32_t size) = 0;
};
