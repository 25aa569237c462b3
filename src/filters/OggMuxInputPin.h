#pragma once
// One input of the Ogg multiplexer, "Stream <index>": one logical Ogg stream whose serial
// number is the pin's index. It takes Vorbis packets (one per sample) or wraps video, wave-format
// audio or text samples in the generic stream layout (OggGenericStream.h).
//
// Each sample is held back until the next one arrives, so that its end time is known (the next
// start) and the last packet can carry the end-of-stream flag. Packets become pages with libogg,
// which fills a page to about 4 KiB; a page is ended early once its first packet lies
// kMaxPendingTime before the latest, so a low-bitrate stream does not keep seconds of a
// recording in memory, where a crash would lose them. Each page is queued with the time it
// sorts by, and the filter's page writer interleaves the queues of all inputs by those times. A pin whose pages cannot go out yet, because another
// stream is behind, waits for that stream in slices of 2000 ms; a slice in which no stream made
// a page turns the waiting off for the rest of the run, so a stream that stops delivering holds
// the others back by one slice at most.
//
// Threads: connection, Active and Inactive on the control thread; Receive, EndOfStream and the
// wait on this pin's upstream streaming thread, under m_receiveLock, which guards the Ogg stream
// state, the held sample, the stream description and m_waitEnabled. NextPageTime and TookPage
// are called by the page writer, on any input thread, under the filter's page-writer lock, which
// guards m_lastPageTime. m_wakeLock orders the wait against its wake-ups. BeginFlush, EndFlush
// and Inactive may come from another thread while Receive waits; they wake it.

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "filters/OggGenericStream.h"
#include "filters/OggPageQueue.h"
#include "platform/media/BasePin.h"

class COggMux;

class COggMuxInputPin : public CBaseInputPin {
 public:
  static constexpr int kWaitSliceMs = 2000;
  // Stream time a page may span before it is ended (100-ns units): a quarter second.
  static constexpr REFERENCE_TIME kMaxPendingTime = 2'500'000;

  COggMuxInputPin(COggMux* filter, int index);
  ~COggMuxInputPin() override;
  COggMuxInputPin(const COggMuxInputPin&) = delete;
  COggMuxInputPin& operator=(const COggMuxInputPin&) = delete;

  // Audio / Vorbis with a usable rate, any text stream, and video-info or wave-format types
  // whose subtype follows the four-character-code pattern; else VFW_E_TYPE_NOT_ACCEPTED.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // Keeps one input free: the filter adds a pin once every input is connected.
  HRESULT CompleteConnect(IPin* receivePin) override;
  // Remembers the upstream buffer size, which the generic stream header records.
  HRESULT NotifyAllocator(const std::shared_ptr<IMemAllocator>& allocator, bool readOnly) override;
  // Starts a fresh Ogg stream with the pin's index as serial number.
  HRESULT Active() override;
  HRESULT Inactive() override;
  HRESULT Receive(IMediaSample* sample) override;
  // Writes the held sample as the stream's last packet, then lets the filter finish the file
  // once every input has ended.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

  int Index() const { return m_index; }
  bool HasEnded() const { return m_ended.load(); }
  COggPageQueue& Queue() { return m_queue; }

  // Page writer: the time this stream sorts by: its first queued page's, else the most
  // positive time once it has ended, else the time of the last page taken from it.
  REFERENCE_TIME NextPageTime() const;
  // Page writer: a page with `time` was taken; wakes the waiting thread once the queue is empty.
  void TookPage(REFERENCE_TIME time, bool queueNowEmpty);

 private:
  enum class Kind { Vorbis, Generic };

  struct StreamFormat {
    Kind kind = Kind::Vorbis;
    int32_t vorbisRateHz = 0;
    OggStreamHeader header;  // generic streams
  };

  struct HeldSample {
    std::vector<uint8_t> bytes;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    bool syncPoint = false;
    bool flushAfter = false;
  };

  // The stream that `type` carries; VFW_E_TYPE_NOT_ACCEPTED for a type the multiplexer does
  // not take, or whose granule steps would have no length.
  static HRESULT Describe(const AM_MEDIA_TYPE& type, uint32_t bufferBytes, StreamFormat* format);
  HRESULT Hold(IMediaSample* sample);
  // Turns the held sample into a packet, its pages into queued pages, and runs the page writer.
  HRESULT WriteHeld(bool last);
  HRESULT WriteGenericHeaders();
  HRESULT PacketIn(ogg_iovec_t* parts, int count, int64_t granule, bool last);
  // Moves every page libogg has ready (all pending data when `flush`) into the queue.
  HRESULT TakePages(bool flush);
  REFERENCE_TIME PageTime(const ogg_page& page, int64_t firstGranule) const;
  REFERENCE_TIME GranuleTime(int64_t granule) const;
  // Whether libogg holds data for the next page that began kMaxPendingTime or more before the
  // held sample's end.
  bool PendingTooLong() const;
  void WaitForQueue();
  void Wake();
  void ClearStream();

  COggMux* m_mux;
  const int m_index;

  std::mutex m_receiveLock;
  ogg_stream_state m_stream{};
  bool m_streamOpen = false;
  vorbis_comment m_comment{};
  StreamFormat m_format;
  bool m_genericHeadersWritten = false;
  HeldSample m_held;
  bool m_hasHeld = false;
  bool m_waitEnabled = true;
  REFERENCE_TIME m_lastEnd = 0;  // end time of the last sample; stands in for missing times

  long m_upstreamBufferBytes = 0;  // control thread, before streaming
  COggPageQueue m_queue;
  REFERENCE_TIME m_lastPageTime = 0;

  std::atomic<bool> m_ended{false};
  std::atomic<bool> m_stopping{false};
  std::mutex m_wakeLock;
  std::condition_variable m_wake;
};
