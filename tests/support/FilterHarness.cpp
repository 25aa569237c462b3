#include "support/FilterHarness.h"

#include <utility>

namespace {

IPin* FirstPin(IBaseFilter& filter, PIN_DIRECTION wanted) {
  std::unique_ptr<IEnumPins> pins;
  if (FAILED(filter.EnumPins(&pins)) || !pins) return nullptr;
  IPin* pin = nullptr;
  unsigned long fetched = 0;
  while (pins->Next(1, &pin, &fetched) == S_OK && fetched == 1) {
    PIN_DIRECTION direction;
    if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) return pin;
  }
  return nullptr;
}

template <class Pin>
std::unique_ptr<CBaseFilter> MakeSink(std::optional<AM_MEDIA_TYPE> acceptOnly, CFakeSinkPin** pin) {
  auto sink = std::make_unique<CSinglePinFilter<Pin>>(std::move(acceptOnly));
  *pin = &sink->HostedPin();
  return sink;
}

HRESULT FirstFailure(HRESULT sofar, HRESULT next) { return FAILED(sofar) ? sofar : next; }

}  // namespace

FilterHarness::FilterHarness(std::shared_ptr<IBaseFilter> filter, FilterHarnessOptions options)
    : m_filter(std::move(filter)),
      m_source(
          std::make_unique<CSinglePinFilter<CFakeSourcePin>>(std::move(options.sourceType), options.sourceBuffers)),
      m_filterInput(FirstPin(*m_filter, PINDIR_INPUT)),
      m_filterOutput(FirstPin(*m_filter, PINDIR_OUTPUT)) {
  m_sink = options.sink == HarnessSink::File
               ? MakeSink<CFakeFileSinkPin>(std::move(options.sinkAcceptsOnly), &m_sinkPin)
               : MakeSink<CFakeSinkPin>(std::move(options.sinkAcceptsOnly), &m_sinkPin);
}

FilterHarness::~FilterHarness() {
  Stop();
  for (IPin* pin : {static_cast<IPin*>(&Source()), m_filterInput, m_filterOutput, static_cast<IPin*>(m_sinkPin)})
    if (pin) pin->Disconnect();
}

HRESULT FilterHarness::Connect() {
  if (m_filterInput == nullptr || m_filterOutput == nullptr) return VFW_E_NOT_FOUND;
  const HRESULT hr = Source().Connect(m_filterInput, nullptr);
  if (FAILED(hr)) return hr;
  return m_filterOutput->Connect(m_sinkPin, nullptr);
}

HRESULT FilterHarness::Pause() {
  HRESULT hr = m_sink->Pause();
  if (SUCCEEDED(hr)) hr = m_filter->Pause();
  if (SUCCEEDED(hr)) hr = m_source->Pause();
  return hr;
}

HRESULT FilterHarness::Run() {
  HRESULT hr = m_sink->Run(0);
  if (SUCCEEDED(hr)) hr = m_filter->Run(0);
  if (SUCCEEDED(hr)) hr = m_source->Run(0);
  return hr;
}

HRESULT FilterHarness::Stop() {
  HRESULT hr = m_source->Stop();
  hr = FirstFailure(hr, m_filter->Stop());
  return FirstFailure(hr, m_sink->Stop());
}
