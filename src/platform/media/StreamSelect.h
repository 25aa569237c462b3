#pragma once
// Stream selection on a filter that offers several alternative streams (languages, subtitles,
// chapters): list them, describe one, switch one on. Called on the control thread.

#include <cstdint>
#include <string>

#include "platform/media/HResult.h"
#include "platform/media/MediaType.h"
#include "platform/media/Unknown.h"

constexpr uint32_t AMSTREAMSELECTINFO_ENABLED = 0x1;
constexpr uint32_t AMSTREAMSELECTINFO_EXCLUSIVE = 0x2;

constexpr uint32_t AMSTREAMSELECTENABLE_ENABLE = 0x1;
constexpr uint32_t AMSTREAMSELECTENABLE_ENABLEALL = 0x2;

struct IAMStreamSelect : virtual IUnknown {
  virtual HRESULT Count(uint32_t* streams) = 0;
  // Every out parameter may be null. `language` is a primary language identifier (0: none);
  // streams of one group are alternatives to each other. E_INVALIDARG past the end.
  virtual HRESULT Info(long index, AM_MEDIA_TYPE* type, uint32_t* flags, uint32_t* language, int32_t* group,
                       std::string* name) = 0;
  virtual HRESULT Enable(long index, uint32_t flags) = 0;
};
