#pragma once
// The Ogg multiplexer's output, "Ogg Stream": a byte stream of Ogg pages for the file writer.
// Each page goes out as one sample whose stream times are its byte range in the file, so the
// writer places the pages back to back from offset 0 of each run.
//
// Threads: connection and Active on the control thread; DeliverPage on whichever input thread
// runs the multiplexer's page writer (serialised by the filter's page-writer lock);
// BytePosition from any thread. m_positionLock guards m_position.

#include <cstdint>
#include <mutex>
#include <span>

#include "platform/media/BasePin.h"

// {D2855FA9-61A7-4DB0-B979-71F297C17A04}
inline constexpr GUID MEDIASUBTYPE_Ogg{0xD2855FA9, 0x61A7, 0x4DB0, {0xB9, 0x79, 0x71, 0xF2, 0x97, 0xC1, 0x7A, 0x04}};

constexpr long kOggOutputBufferBytes = 65536;

class COggMuxOutputPin : public CBaseOutputPin {
 public:
  explicit COggMuxOutputPin(CBaseFilter* filter);

  // Stream / Ogg, else VFW_E_TYPE_NOT_ACCEPTED.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // One type: stream / Ogg, no format block, samples of any size.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  // At least one buffer of at least 64 KiB, aligned to 4: every Ogg page fits one buffer.
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
  // Starts the byte position at 0.
  HRESULT Active() override;

  // Delivers one page as a sync-point sample placed at the byte position, which advances by
  // its length when the downstream accepts it. VFW_E_BUFFER_OVERFLOW when a buffer is smaller
  // than the page; the downstream's failure otherwise.
  HRESULT DeliverPage(std::span<const uint8_t> header, std::span<const uint8_t> body);
  int64_t BytePosition() const;

 private:
  mutable std::mutex m_positionLock;
  int64_t m_position = 0;
};
