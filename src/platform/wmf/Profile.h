#pragma once
// Windows Media profiles: a named set of stream configurations that an ASF writer is
// configured with, made by the profile manager, which also offers the codec information.

#include <memory>
#include <string>

#include "platform/media/Unknown.h"
#include "platform/wmf/WmfTypes.h"

struct IWMStreamConfig;

struct IWMProfile : virtual IUnknown {
  virtual HRESULT GetVersion(WMT_VERSION* version) = 0;
  virtual HRESULT GetName(std::wstring* name) = 0;
  virtual HRESULT SetName(const wchar_t* name) = 0;
  virtual HRESULT GetDescription(std::wstring* description) = 0;
  virtual HRESULT SetDescription(const wchar_t* description) = 0;
  virtual HRESULT GetStreamCount(uint32_t* count) = 0;
  // The profile's own configuration of stream `index` (0-based, in the order added).
  virtual HRESULT GetStream(uint32_t index, std::shared_ptr<IWMStreamConfig>* config) = 0;
  // A new, unnumbered configuration of that major type; it joins the profile through AddStream.
  virtual HRESULT CreateNewStream(REFGUID majorType, std::shared_ptr<IWMStreamConfig>* config) = 0;
  // Adds a copy; the stream number must be set and not in use.
  virtual HRESULT AddStream(IWMStreamConfig* config) = 0;
};

struct IWMProfile2 : IWMProfile {};
struct IWMProfile3 : IWMProfile2 {};

struct IWMProfileManager : virtual IUnknown {
  virtual HRESULT CreateEmptyProfile(WMT_VERSION version, std::shared_ptr<IWMProfile>* profile) = 0;
};

// The profile manager; it offers IWMCodecInfo3 over the codecs of this system.
HRESULT WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* manager);
