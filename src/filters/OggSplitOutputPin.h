#pragma once
// An output of the Ogg splitter: one playable stream's media type, or that of a group of
// alternative streams sharing it (only the enabled one delivers). Named "Audio <serial>",
// "Video <serial>", "Subtitle <serial>" or "Stream <serial>". Its IMediaSeeking is the
// filter's.
//
// Threads: connection, seeking and ResetRun on the control thread under the filter lock, while
// no delivery thread runs. The delivery threads of the streams that use the pin call
// DeliverPacket, DeliverEndOfStreamOnce and LastStart; m_startLock orders the check and update
// of m_lastStart, so a stream taking over a shared pin continues after what the previous one
// delivered. No lock is held while a sample or end of stream goes downstream.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "platform/media/BasePin.h"
#include "platform/media/Seeking.h"

class COggSplitter;

struct OggPacketTimes {
  REFERENCE_TIME start = 0;  // relative to the seek position
  REFERENCE_TIME end = 0;
  int64_t mediaStart = 0;  // granule positions
  int64_t mediaEnd = 0;
};

class COggSplitOutputPin : public CBaseOutputPin, public IMediaSeeking {
 public:
  COggSplitOutputPin(COggSplitter* filter, const std::string& name, AM_MEDIA_TYPE type, uint32_t bufferBytes);

  // Exactly the stream's type; E_FAIL for any other.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  // At least one buffer of at least the stream's buffer size.
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  HRESULT GetCapabilities(uint32_t* capabilities) override;
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetDuration(REFERENCE_TIME* duration) override;

  // Control thread, with no delivery thread running: a new run (start or seek) begins.
  void ResetRun();
  // Delivery threads. A packet (not a header) whose start is not later than the last start
  // delivered on this pin is left out (*skipped, S_OK). VFW_E_BUFFER_OVERFLOW when it does not
  // fit a buffer; otherwise the downstream's answer, or the failure to get a buffer.
  HRESULT DeliverPacket(std::span<const uint8_t> bytes, const OggPacketTimes& times, bool header, bool syncPoint,
                        bool discontinuity, bool preroll, bool* skipped);
  // Delivery thread: packets from `start` on are no longer left out as not later than the last
  // (a chain's next link starts its times where the link before ended).
  void AllowStartsFrom(REFERENCE_TIME start);
  // End of stream, once per run.
  void DeliverEndOfStreamOnce();
  // The start of the last packet delivered in this run; the lowest time before the first. Any
  // thread, without waiting for a delivery in progress.
  REFERENCE_TIME LastStart() const { return m_lastStart.load(); }

 private:
  COggSplitter* m_splitter;
  AM_MEDIA_TYPE m_type;
  uint32_t m_bufferBytes;
  std::mutex m_startLock;
  std::atomic<REFERENCE_TIME> m_lastStart;  // written under m_startLock
  std::atomic<bool> m_endDelivered{false};
};
