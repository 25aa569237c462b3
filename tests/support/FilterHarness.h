#pragma once
// Puts one filter between a fake source output pin and a fake sink input pin, connected by the
// real negotiation, and drives the three through their states. The source offers one type with
// the buffers the test chose and sends samples built from bytes; the sink records what arrives,
// answers with scripted results and, as a file sink, keeps an in-memory file that samples (at
// their start offsets) and IStream writes go to. Everything runs on the test's thread.

#include <memory>
#include <optional>
#include <span>

#include "platform/media/Filter.h"
#include "support/FakeFileSinkPin.h"
#include "support/FakeSinkPin.h"
#include "support/FakeSourcePin.h"
#include "support/SinglePinFilter.h"

enum class HarnessSink {
  Recorder,  // records and answers; offers no IStream
  File,      // also writes like the platform file writer (CFakeFileSinkPin)
};

struct FilterHarnessOptions {
  AM_MEDIA_TYPE sourceType;
  ALLOCATOR_PROPERTIES sourceBuffers{4, 64 * 1024, 1, 0};
  std::optional<AM_MEDIA_TYPE> sinkAcceptsOnly;  // any type when empty
  HarnessSink sink = HarnessSink::File;
};

class FilterHarness {
 public:
  FilterHarness(std::shared_ptr<IBaseFilter> filter, FilterHarnessOptions options);
  // Stops and disconnects everything, so the filter can outlive the harness.
  ~FilterHarness();
  FilterHarness(const FilterHarness&) = delete;
  FilterHarness& operator=(const FilterHarness&) = delete;

  // Source to the filter's first input pin, then its first output pin to the sink; the first
  // failure.
  HRESULT Connect();

  // Downstream first, as a graph does; the first failure.
  HRESULT Pause();
  HRESULT Run();
  // Source first, so the filter still finds its downstream open; the first failure (the
  // fakes never fail, so this is the filter's answer).
  HRESULT Stop();

  HRESULT Send(std::span<const uint8_t> bytes, std::optional<SampleTimes> times = std::nullopt) {
    return Source().Send(bytes, times);
  }
  HRESULT SendEndOfStream() { return Source().DeliverEndOfStream(); }

  CFakeSourcePin& Source() { return m_source->HostedPin(); }
  CFakeSinkPin& Sink() { return *m_sinkPin; }
  // Null for a recorder sink.
  CFakeFileSinkPin* File() { return dynamic_cast<CFakeFileSinkPin*>(m_sinkPin); }
  IPin* FilterInput() const { return m_filterInput; }
  IPin* FilterOutput() const { return m_filterOutput; }

 private:
  std::shared_ptr<IBaseFilter> m_filter;
  std::unique_ptr<CSinglePinFilter<CFakeSourcePin>> m_source;
  std::unique_ptr<CBaseFilter> m_sink;
  CFakeSinkPin* m_sinkPin = nullptr;
  IPin* m_filterInput = nullptr;
  IPin* m_filterOutput = nullptr;
};
