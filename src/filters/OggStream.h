#pragma once
// One logical stream of an Ogg file in the splitter, keyed by its serial number: what its
// headers say (OggStreamInfo), its group among alternative streams, the output pin it delivers
// on (its own or its group's), the queue of pages the reader hands it, and the delivery thread
// that turns those pages into packets on the pin.
//
// Delivery: each run begins, for Vorbis, with the three header packets (so a decoder can start
// over after a seek); then every packet whose time is known, at or after the seek position and
// later than the last one delivered on the pin, goes out as one sample. The last Vorbis packet
// before the seek position goes out first, as preroll, since a decoder needs one packet before
// it to decode the next: so the audio resumes exactly at the seek position.
// A Vorbis stream may be the first link of a chain (OggChain): the later links' pages come to
// its queue too, and at each link it sends that link's headers and carries on with its times
// counted from where the link before ended. A disabled stream
// delivers nothing: it drops pages the pin has passed and never holds the reader back; enabled
// again it starts over with its headers. The text placeholder delivers a one-byte sample per
// second of media time instead. The stream ends (end of stream on the pin) past the stop
// position, at its end-of-stream packet, or when the reader is done and the queue is empty.
//
// Threads: scanning, grouping and Start/Join on the control thread while no thread of the
// stream runs. The reader thread calls Receiving, QueuePage and the mark checks; the delivery
// thread owns m_ogg, m_tracker and the run's delivery state. m_enabled and m_finished are
// atomics; the queue has its own lock; waits use the run's lock (OggSplitRun).

#include <ogg/ogg.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "filters/OggChain.h"
#include "filters/OggGranuleTracker.h"
#include "filters/OggPageQueue.h"
#include "filters/OggSplitOutputPin.h"
#include "filters/OggSplitRun.h"
#include "filters/OggStreamInfo.h"

class CBaseFilter;

class COggStream {
 public:
  COggStream(CBaseFilter* filter, uint32_t serial);
  ~COggStream();
  COggStream(const COggStream&) = delete;
  COggStream& operator=(const COggStream&) = delete;

  // The switched-off entry of a subtitle group.
  static std::unique_ptr<COggStream> MakeTextPlaceholder(CBaseFilter* filter, uint32_t serial);

  uint32_t Serial() const { return m_serial; }
  const OggStreamInfo& Info() const { return m_info; }
  bool IsTextPlaceholder() const { return m_placeholder; }

  // Scanning: feeds a page of the file's start to the header parser until the headers are
  // complete.
  void ScanPage(ogg_page* page);

  // Grouping, while stopped.
  void SetGroup(int group) { m_group = group; }
  int Group() const { return m_group; }
  void SetPin(COggSplitOutputPin* pin, bool ownsPin);
  COggSplitOutputPin* Pin() const { return m_pin; }
  bool OwnsPin() const { return m_ownsPin; }
  // Any thread; the caller wakes the delivery threads (OggSplitRun::Notify).
  void SetEnabled(bool enabled) { m_enabled = enabled; }
  bool Enabled() const { return m_enabled.load(); }

  // Scanning, before outputs are made: a later link of a chain continues this stream.
  void AppendLink(uint32_t serial, std::unique_ptr<OggStreamInfo> info, int64_t firstByte, REFERENCE_TIME offset) {
    m_chain.Append(serial, std::move(info), firstByte, offset);
  }
  const OggChain& Chain() const { return m_chain; }

  // Starts the delivery thread for a run that reads from `startByte`, if the stream has a
  // connected pin. `sharesGroup`: other streams of its group run too and want to hear of its
  // deliveries.
  void Start(OggSplitRun* run, bool sharesGroup, int64_t startByte);
  void Join();

  // Reader thread. Whether pages are still wanted: a running stream (not the placeholder)
  // that has not finished.
  bool Receiving() const;
  // Queues a copy of the page read at byte `offset`, which plays at `time` (-1: unknown); before the first page on which a packet ends after a start,
  // pages are dropped. A disabled stream's full queue loses its oldest page instead of making
  // the reader wait. Wakes the delivery thread.
  void QueuePage(const ogg_page& page, int64_t offset, REFERENCE_TIME time);
  // Call with the run's lock held: the reader must wait for this stream / may go on.
  bool QueueFull() const;
  bool QueueDrained() const;
  bool Finished() const { return m_finished.load(); }

 private:
  enum class Step { Continue, End };

  void Deliver();
  void DeliverPlaceholder();
  // Waits for work; false when the run is over for this stream.
  bool WaitWhileDisabled();
  bool WaitForPage(std::unique_ptr<OggPageNode>* page);
  Step BeginDelivering();
  Step DeliverPage(const OggPageNode& page);
  // Delivers the packets gathered from the page so far, once their positions are known.
  Step DeliverGathered();
  Step DeliverPacket(const ogg_packet& packet, const OggPacketPosition& position);
  // Moves on to the link `link` of the chain: its serial number and its headers.
  Step BeginLink(size_t link);
  const OggStreamInfo& LinkInfo() const { return *m_chain.Link(m_link).info; }
  Step Send(std::span<const uint8_t> bytes, const OggPacketTimes& times, bool header, bool syncPoint, bool preroll);
  bool FrontIsStale() const;
  void DropStalePages();
  void EndOfStream();
  void Fail(HRESULT hr);

  CBaseFilter* m_filter;
  uint32_t m_serial;
  bool m_placeholder = false;
  OggStreamInfo m_info;
  OggChain m_chain;  // m_info's stream and the links that continue it
  ogg_stream_state m_ogg;
  COggPageQueue m_queue;

  int m_group = -1;
  COggSplitOutputPin* m_pin = nullptr;
  bool m_ownsPin = false;
  std::atomic<bool> m_enabled{false};

  OggSplitRun* m_run = nullptr;
  bool m_sharesGroup = false;
  std::thread m_thread;
  std::atomic<bool> m_finished{true};
  bool m_synced = false;  // reader thread

  // Delivery thread.
  OggGranuleTracker m_tracker;
  std::vector<ogg_packet> m_gathered;  // point into m_ogg until the next page goes in
  std::vector<OggPacketPosition> m_positions;
  bool m_discontinuity = true;
  REFERENCE_TIME m_lastTime = 0;  // of the packet before, for the stop check
  bool m_haveLastTime = false;
  size_t m_link = 0;  // of m_chain
  // The last Vorbis packet before the seek position, until the first after it goes out.
  std::vector<uint8_t> m_preroll;
  OggPacketTimes m_prerollTimes;
  bool m_havePreroll = false;
};
