#pragma once
// Seeking and position: absolute start and stop positions in 100-ns REFERENCE_TIME units.
// Parsers and decoders that can seek offer it with AM_SEEKING_CanSeekAbsolute; renderers offer
// it to report the position being heard; the graph forwards to both.

#include <cstdint>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/MediaSample.h"
#include "platform/media/Unknown.h"

constexpr uint32_t AM_SEEKING_CanSeekAbsolute = 0x1;
constexpr uint32_t AM_SEEKING_CanSeekForwards = 0x2;
constexpr uint32_t AM_SEEKING_CanSeekBackwards = 0x4;
constexpr uint32_t AM_SEEKING_CanGetCurrentPos = 0x8;
constexpr uint32_t AM_SEEKING_CanGetStopPos = 0x10;
constexpr uint32_t AM_SEEKING_CanGetDuration = 0x20;

// Positioning flags of SetPositions.
constexpr uint32_t AM_SEEKING_NoPositioning = 0x0;
constexpr uint32_t AM_SEEKING_AbsolutePositioning = 0x1;
constexpr uint32_t AM_SEEKING_RelativePositioning = 0x2;     // from the current position
constexpr uint32_t AM_SEEKING_IncrementalPositioning = 0x3;  // stop only: from the new current
constexpr uint32_t AM_SEEKING_PositioningBitsMask = 0x3;
constexpr uint32_t AM_SEEKING_SeekToKeyFrame = 0x4;

// Time formats: media time in REFERENCE_TIME units, or byte offsets.
inline constexpr GUID TIME_FORMAT_NONE{};
inline constexpr GUID TIME_FORMAT_BYTE{0x7B785572, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
inline constexpr GUID TIME_FORMAT_MEDIA_TIME{
    0x7B785574, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};

struct IMediaSeeking : virtual IUnknown {
  virtual HRESULT GetCapabilities(uint32_t* capabilities) = 0;
  // Keeps in *capabilities those of the requested that are offered: S_OK when all are,
  // S_FALSE when some are, E_FAIL when none. The default asks GetCapabilities.
  virtual HRESULT CheckCapabilities(uint32_t* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    uint32_t offered = 0;
    const HRESULT hr = GetCapabilities(&offered);
    if (FAILED(hr)) return hr;
    const uint32_t wanted = *capabilities;
    *capabilities &= offered;
    if (*capabilities == wanted) return S_OK;
    return *capabilities != 0 ? S_FALSE : E_FAIL;
  }
  // Either position may be null or come with AM_SEEKING_NoPositioning and then stays. Only
  // absolute positioning is supported (E_INVALIDARG otherwise). Seeking a running or paused
  // graph flushes what was on its way and continues from the new start.
  virtual HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                               uint32_t stopFlags) = 0;
  // Either may be null. The default asks GetCurrentPosition and GetStopPosition.
  virtual HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) {
    if (current) {
      const HRESULT hr = GetCurrentPosition(current);
      if (FAILED(hr)) return hr;
    }
    return stop ? GetStopPosition(stop) : S_OK;
  }
  virtual HRESULT GetCurrentPosition(REFERENCE_TIME* current) = 0;
  virtual HRESULT GetStopPosition(REFERENCE_TIME* stop) = 0;
  virtual HRESULT GetDuration(REFERENCE_TIME* duration) = 0;

  // Positions are in the time format in use. Optional: the defaults know media time only.
  // S_OK for a supported format, S_FALSE for another.
  virtual HRESULT IsFormatSupported(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
  }
  virtual HRESULT QueryPreferredFormat(GUID* format) {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
  }
  virtual HRESULT GetTimeFormat(GUID* format) {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
  }
  // S_OK when `format` is the one in use, S_FALSE otherwise.
  virtual HRESULT IsUsingTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    GUID current;
    const HRESULT hr = GetTimeFormat(&current);
    if (FAILED(hr)) return hr;
    return current == *format ? S_OK : S_FALSE;
  }
  // E_INVALIDARG for an unsupported format.
  virtual HRESULT SetTimeFormat(const GUID* format) {
    const HRESULT hr = IsFormatSupported(format);
    if (FAILED(hr)) return hr;
    return hr == S_OK ? S_OK : E_INVALIDARG;
  }
};
