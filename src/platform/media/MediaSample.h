#pragma once
// Media samples: a buffer from an allocator with its valid length, stream times (100-ns
// REFERENCE_TIME, or byte positions for stream types), media times, flags and an optional
// attached media type. A sample is used by one thread at a time: the thread that holds it.

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/media/HResult.h"
#include "platform/media/MediaType.h"
#include "platform/media/Unknown.h"

using REFERENCE_TIME = int64_t;  // 100-nanosecond units
constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = MakeResult(0x80040249);
constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = MakeResult(0x80040251);
constexpr HRESULT VFW_S_NO_STOP_TIME = MakeResult(0x00040270);

struct IMediaSample : virtual IUnknown {
  virtual HRESULT GetPointer(uint8_t** buffer) = 0;
  virtual long GetSize() = 0;
  // S_OK with both times, VFW_S_NO_STOP_TIME with the start only, VFW_E_SAMPLE_TIME_NOT_SET.
  virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
  // Null start clears both times; null end sets the start only.
  virtual HRESULT SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) = 0;
  virtual HRESULT GetMediaTime(int64_t* start, int64_t* end) = 0;
  virtual HRESULT SetMediaTime(const int64_t* start, const int64_t* end) = 0;
  virtual HRESULT IsSyncPoint() = 0;  // S_OK or S_FALSE, likewise below
  virtual HRESULT SetSyncPoint(bool syncPoint) = 0;
  virtual HRESULT IsPreroll() = 0;
  virtual HRESULT SetPreroll(bool preroll) = 0;
  virtual HRESULT IsDiscontinuity() = 0;
  virtual HRESULT SetDiscontinuity(bool discontinuity) = 0;
  virtual long GetActualDataLength() = 0;
  // VFW_E_BUFFER_OVERFLOW when longer than the buffer.
  virtual HRESULT SetActualDataLength(long length) = 0;
  // The attached type, or null when the format did not change with this sample.
  virtual const AM_MEDIA_TYPE* GetMediaType() = 0;
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* type) = 0;
};

using SamplePtr = std::shared_ptr<IMediaSample>;

// A sample over memory it does not own (the allocator's buffer, or a test's array).
class CMediaSample : public IMediaSample {
 public:
  CMediaSample(uint8_t* buffer, long size);

  // Back to the state of a fresh buffer: no times, no flags, no type, full length.
  void Reset();

  HRESULT GetPointer(uint8_t** buffer) override;
  long GetSize() override;
  HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
  HRESULT SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) override;
  HRESULT GetMediaTime(int64_t* start, int64_t* end) override;
  HRESULT SetMediaTime(const int64_t* start, const int64_t* end) override;
  HRESULT IsSyncPoint() override;
  HRESULT SetSyncPoint(bool syncPoint) override;
  HRESULT IsPreroll() override;
  HRESULT SetPreroll(bool preroll) override;
  HRESULT IsDiscontinuity() override;
  HRESULT SetDiscontinuity(bool discontinuity) override;
  long GetActualDataLength() override;
  HRESULT SetActualDataLength(long length) override;
  const AM_MEDIA_TYPE* GetMediaType() override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;

 private:
  uint8_t* m_buffer;
  long m_size;
  long m_actual;
  std::optional<REFERENCE_TIME> m_start, m_end;
  std::optional<int64_t> m_mediaStart, m_mediaEnd;
  bool m_syncPoint = false;
  bool m_preroll = false;
  bool m_discontinuity = false;
  std::optional<AM_MEDIA_TYPE> m_type;
};
