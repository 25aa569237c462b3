#pragma once
// The downstream end of filter tests: an input pin that records every sample it receives with
// its times and flags, and answers each with the result the test chose (S_OK unless told
// otherwise). It accepts any media type, only the one it was given, or what the test's
// predicate allows. At end of stream it reports EC_COMPLETE, as a renderer does.
//
// Threads: Receive and EndOfStream run on the streaming thread; the test scripts replies and
// reads the records from its own thread, and can wait for them. m_lock guards m_samples,
// m_replies, m_defaultReply, m_accept and m_ended.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/BasePin.h"
#include "support/SampleTimes.h"
#include "support/SinglePinFilter.h"

struct ReceivedSample {
  std::vector<uint8_t> bytes;
  std::optional<SampleTimes> times;  // empty when the sample carried none
  bool syncPoint = false;
  bool discontinuity = false;
  bool preroll = false;
  HRESULT reply = S_OK;  // what the sink answered
};

class CFakeSinkPin : public CBaseInputPin {
 public:
  explicit CFakeSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly = std::nullopt);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // Offers the one type it accepts, if it was given one.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT EndOfStream() override;

  // Only types the predicate allows connect (on top of the one given at construction).
  void SetAccept(std::function<bool(const AM_MEDIA_TYPE&)> accept);
  // Queues the answer for the next sample not yet answered.
  void ReplyToNext(HRESULT reply);
  // The answer once the queue is empty.
  void ReplyToAll(HRESULT reply);

  std::vector<ReceivedSample> Samples() const;
  // Every received payload, in order.
  std::vector<uint8_t> AllBytes() const;
  // Whether end of stream arrived, even if the pin was stopped since.
  bool AtEndOfStream() const;
  bool WaitForSamples(size_t count, int timeoutMs);
  bool WaitForEndOfStream(int timeoutMs);

 protected:
  // Acts on a sample about to be answered with S_OK; a failure becomes the answer.
  virtual HRESULT Accept(const ReceivedSample& sample);

 private:
  std::optional<AM_MEDIA_TYPE> m_acceptOnly;
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::function<bool(const AM_MEDIA_TYPE&)> m_accept;
  std::vector<ReceivedSample> m_samples;
  std::deque<HRESULT> m_replies;
  HRESULT m_defaultReply = S_OK;
  bool m_ended = false;
};

// A sink filter of its own, for tests that need one in a graph.
using CFakeSinkFilter = CSinglePinFilter<CFakeSinkPin>;
