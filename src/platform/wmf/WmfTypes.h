#pragma once
// Identifiers, value types and result codes shared by the Windows Media runtime's interfaces.

#include <cstdint>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/MediaType.h"

enum WMT_ATTR_DATATYPE {
  WMT_TYPE_DWORD = 0,
  WMT_TYPE_STRING = 1,
  WMT_TYPE_BINARY = 2,
  WMT_TYPE_BOOL = 3,
  WMT_TYPE_QWORD = 4,
  WMT_TYPE_WORD = 5,
  WMT_TYPE_GUID = 6,
};

enum WMT_VERSION : uint32_t {
  WMT_VER_4_0 = 0x40000,
  WMT_VER_7_0 = 0x70000,
  WMT_VER_8_0 = 0x80000,
  WMT_VER_9_0 = 0x90000,
};

// The runtime's media type has the framework's layout.
using WM_MEDIA_TYPE = AM_MEDIA_TYPE;

// Bytes the runtime's media type record takes before its format block.
constexpr uint32_t kWmMediaTypeRecordBytes = 88;

inline constexpr GUID WMMEDIATYPE_Audio = MEDIATYPE_Audio;
inline constexpr GUID WMMEDIATYPE_Video = MEDIATYPE_Video;
inline constexpr GUID WMFORMAT_WaveFormatEx = FORMAT_WaveFormatEx;
// Windows Media Audio 7, 8 and 9 Standard: wave format tag 0x0161.
inline constexpr GUID WMMEDIASUBTYPE_WMAudioV8{
    0x00000161, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr uint16_t WAVE_FORMAT_WMAUDIO2 = 0x0161;

// Codec enumeration settings and stream properties.
inline constexpr const wchar_t* g_wszVBREnabled = L"_VBRENABLED";
inline constexpr const wchar_t* g_wszNumPasses = L"_PASSESUSED";

// The codec or object has no such setting or property.
constexpr HRESULT NS_E_UNSUPPORTED_PROPERTY = MakeResult(0xC00D0BCD);
