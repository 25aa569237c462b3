#pragma once
// A live push source for graph tests: delivers `sampleCount` buffers of `bytesPerSample` bytes
// (byte i of the stream has value i % 251) with byte-position times while running, or until
// stopped; then delivers end of stream. Paused means no delivery.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

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
  class OutputPin;
  void Stream();

  std::unique_ptr<OutputPin> m_pin;
  const int m_sampleCount;
  const long m_bytesPerSample;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_running = false;  // guarded by m_mutex
  bool m_quit = false;     // guarded by m_mutex
  std::atomic<int> m_delivered{0};
  std::atomic<HRESULT> m_lastResult{S_OK};
};
