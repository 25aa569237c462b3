#pragma once
// A sink filter for the audio tests: its input pin accepts audio (all of it, or what a test's
// predicate allows), copies every sample it receives with its times and flags, answers with a
// result the test chooses, and records end of stream (reporting EC_COMPLETE, as a renderer).
// Receive runs on the source's streaming thread; the test thread reads through the
// accessors; m_mutex guards the record.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

struct CollectedSample {
  std::vector<uint8_t> bytes;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME end = 0;
  bool syncPoint = false;
  bool discontinuity = false;
};

class CollectingSink : public CBaseFilter {
 public:
  CollectingSink();
  ~CollectingSink() override;

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;
  IPin* InputPin();

  void SetAccept(std::function<bool(const WAVEFORMATEX&)> accept);
  // Answered by Receive after the sample is recorded.
  void SetReceiveResult(HRESULT result);

  std::vector<CollectedSample> Samples();
  std::vector<uint8_t> AllBytes();
  bool EndOfStreamSeen();
  bool WaitForSamples(size_t count, int timeoutMs);
  bool WaitForEndOfStream(int timeoutMs);

 private:
  class Pin;

  std::unique_ptr<Pin> m_pin;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::function<bool(const WAVEFORMATEX&)> m_accept;
  HRESULT m_receiveResult = S_OK;
  std::vector<CollectedSample> m_samples;
  bool m_ended = false;
};
