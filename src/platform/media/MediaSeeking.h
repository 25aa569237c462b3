#pragma once
// Seeking: positions, duration and time formats, offered by filters (and their pins) that can
// report or change where a stream is, and by the graph, which forwards to them. Times are in
// the current time format: 100-ns REFERENCE_TIME units for media time, byte offsets for byte.
// Called on the control thread; a filter that answers while streaming guards its own state.

#include <cstdint>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

inline constexpr GUID TIME_FORMAT_NONE{};
inline constexpr GUID TIME_FORMAT_FRAME{0x7B785570, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
inline constexpr GUID TIME_FORMAT_FIELD{0x7B785571, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
inline constexpr GUID TIME_FORMAT_BYTE{0x7B785572, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
inline constexpr GUID TIME_FORMAT_SAMPLE{0x7B785573, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
inline constexpr GUID TIME_FORMAT_MEDIA_TIME{
    0x7B785574, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};

// Capability bits.
constexpr uint32_t AM_SEEKING_CanSeekAbsolute = 0x1;
constexpr uint32_t AM_SEEKING_CanSeekForwards = 0x2;
constexpr uint32_t AM_SEEKING_CanSeekBackwards = 0x4;
constexpr uint32_t AM_SEEKING_CanGetCurrentPos = 0x8;
constexpr uint32_t AM_SEEKING_CanGetStopPos = 0x10;
constexpr uint32_t AM_SEEKING_CanGetDuration = 0x20;
constexpr uint32_t AM_SEEKING_CanPlayBackwards = 0x40;
constexpr uint32_t AM_SEEKING_CanDoSegments = 0x80;
constexpr uint32_t AM_SEEKING_Source = 0x100;

// Positioning flags of SetPositions.
constexpr uint32_t AM_SEEKING_NoPositioning = 0x0;
constexpr uint32_t AM_SEEKING_AbsolutePositioning = 0x1;
constexpr uint32_t AM_SEEKING_RelativePositioning = 0x2;
constexpr uint32_t AM_SEEKING_IncrementalPositioning = 0x3;
constexpr uint32_t AM_SEEKING_PositioningBitsMask = 0x3;
constexpr uint32_t AM_SEEKING_SeekToKeyFrame = 0x4;
constexpr uint32_t AM_SEEKING_ReturnTime = 0x8;
constexpr uint32_t AM_SEEKING_Segment = 0x10;
constexpr uint32_t AM_SEEKING_NoFlush = 0x20;

struct IMediaSeeking : virtual IUnknown {
  virtual HRESULT GetCapabilities(uint32_t* capabilities) = 0;
  // S_OK when every asked bit is offered, S_FALSE when some are, E_FAIL when none are; the
  // offered subset is written back.
  virtual HRESULT CheckCapabilities(uint32_t* capabilities) = 0;
  virtual HRESULT IsFormatSupported(const GUID* format) = 0;
  virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
  virtual HRESULT GetTimeFormat(GUID* format) = 0;
  virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
  virtual HRESULT SetTimeFormat(const GUID* format) = 0;
  virtual HRESULT GetDuration(int64_t* duration) = 0;
  virtual HRESULT GetStopPosition(int64_t* stop) = 0;
  virtual HRESULT GetCurrentPosition(int64_t* current) = 0;
  virtual HRESULT ConvertTimeFormat(int64_t* target, const GUID* targetFormat, int64_t source,
                                    const GUID* sourceFormat) = 0;
  // Either pointer may be null with its flags AM_SEEKING_NoPositioning.
  virtual HRESULT SetPositions(int64_t* current, uint32_t currentFlags, int64_t* stop, uint32_t stopFlags) = 0;
  virtual HRESULT GetPositions(int64_t* current, int64_t* stop) = 0;
  virtual HRESULT GetAvailable(int64_t* earliest, int64_t* latest) = 0;
  virtual HRESULT SetRate(double rate) = 0;
  virtual HRESULT GetRate(double* rate) = 0;
  virtual HRESULT GetPreroll(int64_t* preroll) = 0;
};
