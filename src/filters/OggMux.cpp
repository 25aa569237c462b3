#include "filters/OggMux.h"

#include <algorithm>
#include <new>

#include "filters/OggMuxInputPin.h"

COggMux::COggMux(HRESULT* result) : CBaseFilter(CLSID_OggMux) {
  HRESULT hr = S_OK;
  m_output.reset(new (std::nothrow) COggMuxOutputPin(this));
  if (!m_output) hr = E_OUTOFMEMORY;
  if (SUCCEEDED(hr)) hr = AddInputIfAllConnected();
  if (result) *result = hr;
}

COggMux::~COggMux() = default;

int COggMux::GetPinCount() {
  std::lock_guard lock(m_pinsLock);
  return static_cast<int>(m_inputs.size()) + 1;
}

CBasePin* COggMux::GetPin(int n) {
  if (n == 0) return m_output.get();
  std::lock_guard lock(m_pinsLock);
  if (n < 0 || n > static_cast<int>(m_inputs.size())) return nullptr;
  return m_inputs[n - 1].get();
}

HRESULT COggMux::AddInputIfAllConnected() {
  std::lock_guard lock(m_pinsLock);
  if (std::any_of(m_inputs.begin(), m_inputs.end(), [](const auto& pin) { return !pin->IsConnected(); })) return S_OK;
  try {
    m_inputs.push_back(std::make_unique<COggMuxInputPin>(this, static_cast<int>(m_inputs.size())));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT COggMux::Pause() {
  std::lock_guard lock(m_csFilter);
  const bool starting = IsStopped();
  if (starting) {
    m_currentTime = 0;
    std::lock_guard writer(m_writerLock);
    m_endDelivered = false;
  }
  const HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr) || !starting) return hr;
  // Inputs left unconnected count as ended: with none connected the file is complete as it is.
  RunPageWriter();
  return hr;
}

HRESULT COggMux::RunPageWriter() {
  std::lock_guard lock(m_writerLock);
  const HRESULT hr = WritePages();
  if (FAILED(hr) || m_endDelivered || !AllInputsEnded()) return hr;
  m_endDelivered = true;
  return m_output->DeliverEndOfStream();
}

HRESULT COggMux::WritePages() {
  for (;;) {
    COggMuxInputPin* winner = nullptr;
    REFERENCE_TIME earliest = 0;
    {
      std::lock_guard lock(m_pinsLock);
      // Downwards with <=, so that on equal times the lower index wins.
      for (auto pin = m_inputs.rbegin(); pin != m_inputs.rend(); ++pin) {
        if (!(*pin)->IsConnected()) continue;
        const REFERENCE_TIME time = (*pin)->NextPageTime();
        if (winner == nullptr || time <= earliest) {
          winner = pin->get();
          earliest = time;
        }
      }
    }
    if (winner == nullptr) return S_OK;
    // The earliest stream had nothing queued when the times were compared: it is behind and
    // must deliver first. A page it queued since may sort after another stream's, so only a
    // front page of the compared time goes out.
    REFERENCE_TIME front = 0;
    if (!winner->Queue().FrontTime(&front) || front != earliest) return S_OK;
    bool nowEmpty = false;
    std::unique_ptr<OggPageNode> page = winner->Queue().Pop(&nowEmpty);
    if (!page) return S_OK;
    winner->TookPage(page->time, nowEmpty);
    m_currentTime = page->time;
    const HRESULT hr = m_output->DeliverPage(page->Header(), page->Body());
    winner->Queue().Recycle(std::move(page));
    if (FAILED(hr)) return hr;
  }
}

bool COggMux::AllInputsEnded() {
  std::lock_guard lock(m_pinsLock);
  return std::all_of(m_inputs.begin(), m_inputs.end(),
                     [](const auto& pin) { return !pin->IsConnected() || pin->HasEnded(); });
}

std::vector<IMediaSeeking*> COggMux::UpstreamSeeking() {
  std::vector<IMediaSeeking*> found;
  std::lock_guard lock(m_pinsLock);
  for (const auto& pin : m_inputs) {
    IPin* upstream = pin->GetConnected();
    if (upstream == nullptr) continue;
    if (auto* seeking = QueryInterface<IMediaSeeking>(upstream->Filter())) found.push_back(seeking);
  }
  return found;
}

HRESULT COggMux::GetCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  *capabilities = kSeekingCapabilities;
  return S_OK;
}

HRESULT COggMux::CheckCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  const bool onlyOffered = (*capabilities & ~kSeekingCapabilities) == 0;
  *capabilities &= kSeekingCapabilities;
  return onlyOffered ? S_OK : S_FALSE;
}

HRESULT COggMux::IsFormatSupported(const GUID* format) {
  if (format == nullptr) return E_POINTER;
  return *format == TIME_FORMAT_MEDIA_TIME || *format == TIME_FORMAT_BYTE ? S_OK : S_FALSE;
}

HRESULT COggMux::GetTimeFormat(GUID* format) {
  if (format == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  *format = m_timeFormat;
  return S_OK;
}

HRESULT COggMux::SetTimeFormat(const GUID* format) {
  const HRESULT hr = IsFormatSupported(format);
  if (hr != S_OK) return FAILED(hr) ? hr : E_INVALIDARG;
  std::lock_guard lock(m_csFilter);
  m_timeFormat = *format;
  return S_OK;
}

HRESULT COggMux::GetDuration(REFERENCE_TIME* duration) {
  if (duration == nullptr) return E_POINTER;
  if (IsUsingTimeFormat(&TIME_FORMAT_BYTE) == S_OK) return E_FAIL;
  bool answered = false;
  REFERENCE_TIME longest = 0;
  for (IMediaSeeking* upstream : UpstreamSeeking()) {
    REFERENCE_TIME length = 0;
    if (upstream->IsUsingTimeFormat(&TIME_FORMAT_MEDIA_TIME) != S_OK) continue;
    if (FAILED(upstream->GetDuration(&length))) continue;
    longest = answered ? std::max(longest, length) : length;
    answered = true;
  }
  if (!answered) return E_NOTIMPL;
  *duration = longest;
  return S_OK;
}

HRESULT COggMux::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) return E_POINTER;
  *current = IsUsingTimeFormat(&TIME_FORMAT_BYTE) == S_OK ? m_output->BytePosition() : m_currentTime.load();
  return S_OK;
}

HRESULT COggMux::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) return E_POINTER;
  for (IMediaSeeking* upstream : UpstreamSeeking())
    if (SUCCEEDED(upstream->GetStopPosition(stop))) return S_OK;
  return E_NOTIMPL;
}

HRESULT COggMux::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                              uint32_t stopFlags) {
  HRESULT result = E_NOTIMPL;
  for (IMediaSeeking* upstream : UpstreamSeeking()) {
    const HRESULT hr = upstream->SetPositions(current, currentFlags, stop, stopFlags);
    if (FAILED(hr)) return hr;
    result = hr;
  }
  return result;
}
