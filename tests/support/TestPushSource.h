#pragma once
// A live push source for graph tests: delivers `sampleCount` buffers of `bytesPerSample` bytes
// of 8 kHz mono 8-bit audio (byte i of the stream has value i % 251) with byte-position times
// while running, or until stopped; then delivers end of stream. Paused means no delivery.
//
// Threads: the state changes come from the test's (control) thread; the samples go out on the
// source's own thread. m_mutex guards m_running and m_quit.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/media/BaseFilter.h"
#include "support/FakeSourcePin.h"

class TestPushSource : public CBaseFilter, public IAMFilterMiscFlags {
 public:
  TestPushSource(int sampleCount, long bytesPerSample);
  ~TestPushSource() override;

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  uint32_t GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

  int Delivered() const { return m_delivered.load(); }
  HRESULT LastDeliveryResult() const { return m_lastResult.load(); }

 private:
  void Stream();

  CFakeSourcePin m_pin;
  const int m_sampleCount;
  const long m_bytesPerSample;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_running = false;
  bool m_quit = false;
  std::atomic<int> m_delivered{0};
  std::atomic<HRESULT> m_lastResult{S_OK};
};
