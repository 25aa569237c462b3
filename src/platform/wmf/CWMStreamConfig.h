#pragma once
// One stream configuration of a profile, or of a codec format: stream type, number, name,
// bitrate, buffer window, language, media type and properties. Copies are independent.
// Used from one thread at a time.

#include <memory>
#include <string>

#include "platform/wmf/CWMPropertyVault.h"
#include "platform/wmf/WMStreamConfig.h"

class CWMStreamConfig : public IWMStreamConfig3, public IWMMediaProps, public CWMPropertyVault {
 public:
  explicit CWMStreamConfig(const GUID& streamType);

  HRESULT GetStreamType(GUID* type) override;
  HRESULT GetStreamNumber(uint16_t* number) override;
  HRESULT SetStreamNumber(uint16_t number) override;
  HRESULT GetStreamName(std::wstring* name) override;
  HRESULT SetStreamName(const wchar_t* name) override;
  HRESULT GetBitrate(uint32_t* bitsPerSecond) override;
  HRESULT SetBitrate(uint32_t bitsPerSecond) override;
  HRESULT GetBufferWindow(uint32_t* milliseconds) override;
  HRESULT SetBufferWindow(uint32_t milliseconds) override;
  HRESULT GetLanguage(std::wstring* tag) override;
  HRESULT SetLanguage(const wchar_t* tag) override;

  HRESULT GetType(GUID* majorType) override;
  HRESULT GetMediaType(WM_MEDIA_TYPE* type, uint32_t* bytes) override;
  HRESULT SetMediaType(const WM_MEDIA_TYPE* type) override;

  // The media type as set; major type only until SetMediaType.
  const WM_MEDIA_TYPE& MediaType() const { return m_mediaType; }

 private:
  GUID m_streamType;
  uint16_t m_streamNumber = 0;
  std::wstring m_name;
  uint32_t m_bitrate = 0;
  uint32_t m_bufferWindowMs = 3000;
  std::wstring m_language;
  WM_MEDIA_TYPE m_mediaType;
};

// An independent copy of any stream configuration of this runtime; E_INVALIDARG for another kind.
HRESULT CopyStreamConfig(IWMStreamConfig* source, std::shared_ptr<CWMStreamConfig>* copy);
