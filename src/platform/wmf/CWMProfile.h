#pragma once
// A profile of this runtime: version, name, description and its own copies of the stream
// configurations added to it. Used from one thread at a time.

#include <memory>
#include <string>
#include <vector>

#include "platform/wmf/CWMStreamConfig.h"
#include "platform/wmf/Profile.h"

class CWMProfile : public IWMProfile3 {
 public:
  explicit CWMProfile(WMT_VERSION version);

  HRESULT GetVersion(WMT_VERSION* version) override;
  HRESULT GetName(std::wstring* name) override;
  HRESULT SetName(const wchar_t* name) override;
  HRESULT GetDescription(std::wstring* description) override;
  HRESULT SetDescription(const wchar_t* description) override;
  HRESULT GetStreamCount(uint32_t* count) override;
  HRESULT GetStream(uint32_t index, std::shared_ptr<IWMStreamConfig>* config) override;
  HRESULT CreateNewStream(REFGUID majorType, std::shared_ptr<IWMStreamConfig>* config) override;
  HRESULT AddStream(IWMStreamConfig* config) override;

 private:
  WMT_VERSION m_version;
  std::wstring m_name;
  std::wstring m_description;
  std::vector<std::shared_ptr<CWMStreamConfig>> m_streams;
};
