#pragma once
// Helpers over the runtime's codec information, shared by the codec lists and the profile
// builder. Texts come back narrow (UTF-8).

#include <memory>
#include <string>

#include "platform/wmf/CodecInfo.h"

// Creates the codec information through a profile manager when `codecInfo` is empty; keeps an
// existing one.
HRESULT EnsureCodecInfo(std::shared_ptr<IWMCodecInfo3>* codecInfo);

// Switches the codec's enumeration to VBR with `passes` passes, or to CBR. A codec without a
// VBR setting is fine in CBR mode.
HRESULT SetCodecVbrSettings(IWMCodecInfo3* codecInfo, REFGUID mediaType, uint32_t codecIndex, bool isVbr,
                            uint32_t passes);

// Empty on any failure.
std::string GetCodecNameText(IWMCodecInfo3* codecInfo, uint32_t codecIndex);
// Empty on any failure, and for formats meant for audio with video ("(A/V)").
std::string GetFormatDescText(IWMCodecInfo3* codecInfo, uint32_t codecIndex, uint32_t formatIndex);
