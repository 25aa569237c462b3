#pragma once
// The profile manager, which also answers for the codecs of a catalogue (the installed ones by
// default). Enumeration settings are per codec; FFmpeg's WMA encoders know no VBR, so
// "_VBRENABLED" and "_PASSESUSED" answer NS_E_UNSUPPORTED_PROPERTY and only the CBR formats
// are ever listed. Used from one thread at a time.

#include <vector>

#include "platform/wmf/CodecInfo.h"
#include "platform/wmf/Profile.h"
#include "platform/wmf/WmaCodecCatalogue.h"

class CWMProfileManager : public IWMProfileManager, public IWMCodecInfo3 {
 public:
  explicit CWMProfileManager(const std::vector<WmaCodec>& codecs = InstalledWmaCodecs());

  HRESULT CreateEmptyProfile(WMT_VERSION version, std::shared_ptr<IWMProfile>* profile) override;

  HRESULT GetCodecInfoCount(REFGUID majorType, uint32_t* count) override;
  HRESULT GetCodecFormatCount(REFGUID majorType, uint32_t codecIndex, uint32_t* count) override;
  HRESULT GetCodecFormat(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                         std::shared_ptr<IWMStreamConfig>* config) override;
  HRESULT GetCodecName(REFGUID majorType, uint32_t codecIndex, wchar_t* name, uint32_t* length) override;
  HRESULT GetCodecFormatDesc(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                             std::shared_ptr<IWMStreamConfig>* config, wchar_t* description, uint32_t* length) override;
  HRESULT SetCodecEnumerationSetting(REFGUID majorType, uint32_t codecIndex, const wchar_t* name,
                                     WMT_ATTR_DATATYPE type, const uint8_t* value, uint32_t size) override;

 private:
  // The codec's entry, or null for another media type or an index past the list.
  const WmaCodec* Codec(REFGUID majorType, uint32_t codecIndex) const;
  const WmaCodecFormat* Format(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex) const;

  const std::vector<WmaCodec> m_codecs;
};
