#pragma once
// The harness's downstream end: an input pin that records every sample it receives and answers
// each with the result the test chose (S_OK unless told otherwise). It accepts any media type,
// or only the one it was given.
//
// Threads: Receive and EndOfStream run on the streaming thread; the test scripts replies and
// reads the records from its own thread. m_lock guards m_samples and m_replies.

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/BasePin.h"
#include "support/SampleTimes.h"

struct ReceivedSample {
  std::vector<uint8_t> bytes;
  std::optional<SampleTimes> times;  // empty when the sample carried none
  HRESULT reply;                     // what the sink answered
};

class CFakeSinkPin : public CBaseInputPin {
 public:
  CFakeSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // Offers the one type it accepts, if it was given one.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT Receive(IMediaSample* sample) override;

  // Queues the answer for the next sample not yet answered.
  void ReplyToNext(HRESULT reply);
  std::vector<ReceivedSample> Samples() const;
  bool AtEndOfStream() const { return m_bAtEndOfStream.load(); }

 protected:
  // Acts on a sample about to be answered with S_OK; a failure becomes the answer.
  virtual HRESULT Accept(const ReceivedSample& sample);

 private:
  std::optional<AM_MEDIA_TYPE> m_acceptOnly;
  mutable std::mutex m_lock;
  std::vector<ReceivedSample> m_samples;
  std::deque<HRESULT> m_replies;
};
