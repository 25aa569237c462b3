#pragma once
// The MP3 encoder filter's settings interface, in its slot order. Values are the words of the
// settings record (Mp3EncoderSettings); they take effect the next time the encoder opens.
// Getters yield 0 while no record is set; setters change one word of the record and store it.
// Called on the application thread.

#include <cstdint>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

// {AC06599A-D525-42EA-A00C-B40F9CA4694A}
inline constexpr GUID IID_IMP3AudioEncProperties{
    0xAC06599A, 0xD525, 0x42EA, {0xA0, 0x0C, 0xB4, 0x0F, 0x9C, 0xA4, 0x69, 0x4A}};

struct IMP3AudioEncProperties : virtual IUnknown {
  virtual HRESULT GetBitrate(int32_t* kbps) = 0;
  virtual HRESULT SetBitrate(int32_t kbps) = 0;
  // 1 when variable bitrate is on.
  virtual HRESULT GetVbrEnabled(int32_t* enabled) = 0;
  virtual HRESULT SetVbrEnabled(int32_t enabled) = 0;
  virtual HRESULT GetVbrMinBitrate(int32_t* kbps) = 0;
  virtual HRESULT SetVbrMinBitrate(int32_t kbps) = 0;
  virtual HRESULT GetVbrMaxBitrate(int32_t* kbps) = 0;
  virtual HRESULT SetVbrMaxBitrate(int32_t kbps) = 0;
  virtual HRESULT GetEncodeQuality(int32_t* quality) = 0;
  virtual HRESULT SetEncodeQuality(int32_t quality) = 0;
  virtual HRESULT GetVbrQuality(int32_t* quality) = 0;
  virtual HRESULT SetVbrQuality(int32_t quality) = 0;
  // E_FAIL (and 0) while no input format is set.
  virtual HRESULT GetInputSampleRate(int32_t* rateHz) = 0;
  virtual HRESULT GetInputChannels(int32_t* channels) = 0;
  virtual HRESULT GetOutputSampleRate(int32_t* rateHz) = 0;
  virtual HRESULT SetOutputSampleRate(int32_t rateHz) = 0;
  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono.
  virtual HRESULT GetChannelMode(int32_t* mode) = 0;
  virtual HRESULT SetChannelMode(int32_t mode) = 0;
  virtual HRESULT GetCrc(int32_t* on) = 0;
  virtual HRESULT SetCrc(int32_t on) = 0;
  virtual HRESULT GetOriginal(int32_t* on) = 0;
  virtual HRESULT SetOriginal(int32_t on) = 0;
  virtual HRESULT GetCopyright(int32_t* on) = 0;
  virtual HRESULT SetCopyright(int32_t on) = 0;
  virtual HRESULT GetVbrHardMin(int32_t* on) = 0;
  virtual HRESULT SetVbrHardMin(int32_t on) = 0;
  virtual HRESULT GetLowpassLimit(int32_t* on) = 0;
  virtual HRESULT SetLowpassLimit(int32_t on) = 0;
  virtual HRESULT GetFilterBypass(int32_t* on) = 0;
  virtual HRESULT SetFilterBypass(int32_t on) = 0;
  virtual HRESULT GetStrictIso(int32_t* on) = 0;
  virtual HRESULT SetStrictIso(int32_t on) = 0;
  virtual HRESULT GetReserved1(int32_t* value) = 0;
  virtual HRESULT SetReserved1(int32_t value) = 0;
  virtual HRESULT GetForceMidSide(int32_t* on) = 0;
  virtual HRESULT SetForceMidSide(int32_t on) = 0;
  virtual HRESULT GetReserved2(int32_t* value) = 0;
  virtual HRESULT SetReserved2(int32_t value) = 0;
  // The whole 80-byte record. A null buffer asks for the size (S_OK; E_FAIL when `sizeBytes`
  // is null too); a smaller size gets the size and E_FAIL.
  virtual HRESULT GetSettings(void* buffer, uint32_t* sizeBytes) = 0;
  // Replaces the record; E_FAIL unless `sizeBytes` is exactly 80.
  virtual HRESULT SetSettings(const void* buffer, uint32_t sizeBytes) = 0;
  // Keeps word 19 (and the reserved words) and sets every other word to its default.
  virtual HRESULT ResetDefaults() = 0;
  // S_OK when an input format is set, else E_FAIL.
  virtual HRESULT IsInputTypeSet() = 0;
};
