#pragma once
// Lists the runtime's Windows Media audio codecs, and each codec's formats: first its CBR
// formats, then its one-pass VBR formats, each in ascending format index, without those meant
// for audio with video. Enumerates once, when a list is first asked for; a short-lived object
// of one thread.

#include <memory>
#include <string>
#include <vector>

#include "platform/wmf/CodecInfo.h"
#include "wma/WmaFormatEntry.h"

class ProfileEnumerator {
 public:
  // With the runtime's codec information, created on first use.
  ProfileEnumerator() = default;
  // With the given codec information.
  explicit ProfileEnumerator(std::shared_ptr<IWMCodecInfo3> codecInfo);

  // Position N is codec index N; a codec without a name or formats is listed too.
  std::vector<std::string> GetCodecNames();
  WmaFormatMap GetFormatMap();

 private:
  void Enumerate();
  void ListFormats(uint32_t codecIndex, bool isVbr, uint32_t passes);

  std::shared_ptr<IWMCodecInfo3> m_codecInfo;
  std::vector<std::string> m_codecNames;
  WmaFormatMap m_formats;
  std::string m_currentCodec;
  bool m_enumerated = false;
};
