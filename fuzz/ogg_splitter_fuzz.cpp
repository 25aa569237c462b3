// Feeds arbitrary bytes to the Ogg splitter as a file: the scan of its headers and end, the
// outputs it makes, the reader and delivery threads to the end of every stream, then a seek
// and the same again. A stream that never ends is a hang and fails like a crash.

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "filters/OggSplitter.h"
#include "platform/media/AsyncFileSource.h"
#include "support/SinglePinFilter.h"

namespace {

class CEndSinkPin : public CBaseInputPin {
 public:
  explicit CEndSinkPin(CBaseFilter* filter) : CBaseInputPin(filter, "In") {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT Receive(IMediaSample* sample) override {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    if (sample->GetActualDataLength() > sample->GetSize()) __builtin_trap();
    return S_OK;
  }
  HRESULT EndOfStream() override {
    CBaseInputPin::EndOfStream();
    std::lock_guard lock(m_lock);
    m_ended = true;
    m_changed.notify_all();
    return S_OK;
  }
  HRESULT BeginFlush() override {
    CBaseInputPin::BeginFlush();
    std::lock_guard lock(m_lock);
    m_ended = false;
    return S_OK;
  }
  bool WaitForEnd() {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_ended; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_ended = false;
};

void RunToEnd(std::vector<std::unique_ptr<CSinglePinFilter<CEndSinkPin>>>& sinks) {
  for (auto& sink : sinks)
    if (!sink->HostedPin().WaitForEnd()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The real file source, over a file in memory.
  const int fd = memfd_create("ogg", 0);
  if (fd < 0) return 0;
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) __builtin_trap();
  CAsyncFileSource source;
  const HRESULT loaded = source.Load("/proc/self/fd/" + std::to_string(fd), nullptr);
  close(fd);
  if (FAILED(loaded)) __builtin_trap();
  auto splitter = std::make_unique<COggSplitter>();
  if (source.GetPin(0)->Connect(splitter->GetPin(0), nullptr) != S_OK) return 0;
  std::vector<std::unique_ptr<CSinglePinFilter<CEndSinkPin>>> sinks;
  for (int i = 1; i < splitter->GetPinCount(); ++i) {
    sinks.push_back(std::make_unique<CSinglePinFilter<CEndSinkPin>>());
    if (splitter->GetPin(i)->Connect(&sinks.back()->HostedPin(), nullptr) != S_OK) __builtin_trap();
  }
  for (auto& sink : sinks) sink->Run(0);
  if (SUCCEEDED(splitter->Run(0))) {
    RunToEnd(sinks);
    REFERENCE_TIME duration = 0;
    REFERENCE_TIME target = size > 0 ? data[size - 1] * 1'000'000LL : 0;
    if (SUCCEEDED(splitter->GetDuration(&duration)) && duration > 0) target %= duration + 1;
    if (SUCCEEDED(splitter->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)))
      RunToEnd(sinks);
  }
  splitter->Stop();
  for (auto& sink : sinks) sink->Stop();
  splitter->GetPin(0)->Disconnect();
  source.GetPin(0)->Disconnect();
  return 0;
}
