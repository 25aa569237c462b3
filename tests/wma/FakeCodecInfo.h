#pragma once
// A scripted codec information: codecs with names, CBR and (when the codec has a VBR setting)
// VBR format descriptions, and calls that can be made to fail. Format configurations are real
// stream configurations of the runtime, so profiles can be built from them.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/wmf/CodecInfo.h"

struct FakeCodec {
  std::string name;
  std::vector<std::string> cbrFormats;
  std::optional<std::vector<std::string>> vbrFormats;  // none: no VBR setting at all
};

class FakeCodecInfo : public IWMCodecInfo3 {
 public:
  explicit FakeCodecInfo(std::vector<FakeCodec> codecs) : m_codecs(std::move(codecs)) {}

  HRESULT GetCodecInfoCount(REFGUID majorType, uint32_t* count) override;
  HRESULT GetCodecFormatCount(REFGUID majorType, uint32_t codecIndex, uint32_t* count) override;
  HRESULT GetCodecFormat(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                         std::shared_ptr<IWMStreamConfig>* config) override;
  HRESULT GetCodecName(REFGUID majorType, uint32_t codecIndex, wchar_t* name, uint32_t* length) override;
  HRESULT GetCodecFormatDesc(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                             std::shared_ptr<IWMStreamConfig>* config, wchar_t* description, uint32_t* length) override;
  HRESULT SetCodecEnumerationSetting(REFGUID majorType, uint32_t codecIndex, const wchar_t* name,
                                     WMT_ATTR_DATATYPE type, const uint8_t* value, uint32_t size) override;

  // Format configurations carry bitrate 1000 x (format index + 1) and this codec's mode.
  static uint32_t BitrateOf(uint32_t formatIndex) { return 1000 * (formatIndex + 1); }

  bool failCount = false;
  bool failVbrSetting = false;     // "_VBRENABLED" fails with E_FAIL even for CBR
  std::vector<std::string> calls;  // "count", "setting <name>=<value> <codec>", "format <codec>:<index>"

 private:
  const std::vector<std::string>* Formats(uint32_t codecIndex) const;

  std::vector<FakeCodec> m_codecs;
  std::map<uint32_t, bool> m_vbr;  // per codec
};
