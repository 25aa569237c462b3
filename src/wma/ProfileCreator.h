#pragma once
// Builds the custom profile of a WMA recording: version 9.0, one audio stream in the chosen
// codec's chosen format, named "Vantro Corvox Custom Profile". A short-lived object of one
// thread: set the codec name, format index and VBR flag, then call CreateProfile once.

#include <memory>
#include <string>
#include <vector>

#include "platform/wmf/CodecInfo.h"
#include "platform/wmf/MultiLanguage.h"
#include "platform/wmf/Profile.h"
#include "wma/CStream.h"

class ProfileCreator {
 public:
  // With the runtime's codec information, created on first use, or with the given one.
  explicit ProfileCreator(std::shared_ptr<IWMCodecInfo3> codecInfo = nullptr);

  void SetCodecName(const std::string& name) { m_codecName = name; }
  void SetFormatIndex(int32_t formatIndex) { m_formatIndex = formatIndex; }
  void SetVbr(bool isVbr) { m_isVbr = isVbr; }
  // The format index asked for, or the middle format that replaced one past the codec's list.
  int32_t FormatIndex() const { return m_formatIndex; }

  // True when the stream was added and the description set. `profile` receives the profile as
  // soon as it exists, also when a later step fails; the caller owns it.
  bool CreateProfile(std::shared_ptr<IWMProfile>* profile);
  // Creates, fills and lists one stream object; only audio streams are built.
  HRESULT AddStreamObject(StreamType type);
  // Turns a stream object into a new stream configuration of `profile`.
  HRESULT CreateAudioStream(const CStream& stream, IWMProfile* profile);
  HRESULT SetStreamLanguage(IWMStreamConfig* config, LCID language);

  const std::vector<std::shared_ptr<CStream>>& Streams() const { return m_streams; }

 private:
  // Codec index by name, format code by the format index (replaced by the middle format when
  // past the end) and VBR flag. E_INVALIDARG when no codec has that name.
  HRESULT FillAudioStream(CStream* stream);

  std::string m_codecName;
  int32_t m_formatIndex = -1;
  bool m_isVbr = false;
  std::shared_ptr<IWMCodecInfo3> m_codecInfo;
  std::vector<std::shared_ptr<CStream>> m_streams;
};
