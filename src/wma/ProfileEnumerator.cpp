#include "wma/ProfileEnumerator.h"

#include "wma/WmaCodecInfo.h"

ProfileEnumerator::ProfileEnumerator(std::shared_ptr<IWMCodecInfo3> codecInfo) : m_codecInfo(std::move(codecInfo)) {}

std::vector<std::string> ProfileEnumerator::GetCodecNames() {
  if (m_codecNames.empty()) Enumerate();
  return m_codecNames;
}

WmaFormatMap ProfileEnumerator::GetFormatMap() {
  if (m_formats.empty()) Enumerate();
  return m_formats;
}

void ProfileEnumerator::Enumerate() {
  // Once per enumerator, even when nothing was found.
  if (m_enumerated || FAILED(EnsureCodecInfo(&m_codecInfo))) return;
  m_enumerated = true;
  uint32_t count = 0;
  if (FAILED(m_codecInfo->GetCodecInfoCount(WMMEDIATYPE_Audio, &count))) count = 0;
  for (uint32_t codecIndex = 0; codecIndex < count; ++codecIndex) {
    m_currentCodec = GetCodecNameText(m_codecInfo.get(), codecIndex);
    m_codecNames.push_back(m_currentCodec);
    ListFormats(codecIndex, false, 0);
    ListFormats(codecIndex, true, 1);
  }
}

void ProfileEnumerator::ListFormats(uint32_t codecIndex, bool isVbr, uint32_t passes) {
  if (FAILED(SetCodecVbrSettings(m_codecInfo.get(), WMMEDIATYPE_Audio, codecIndex, isVbr, passes))) return;
  uint32_t count = 0;
  if (FAILED(m_codecInfo->GetCodecFormatCount(WMMEDIATYPE_Audio, codecIndex, &count))) count = 0;
  for (uint32_t formatIndex = 0; formatIndex < count; ++formatIndex) {
    std::string description = GetFormatDescText(m_codecInfo.get(), codecIndex, formatIndex);
    if (description.empty()) continue;
    m_formats.emplace(m_currentCodec, WmaFormatEntry{m_currentCodec, std::move(description), formatIndex, isVbr});
  }
}
