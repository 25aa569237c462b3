#include "waveform/CVTWaveformDumpInputPin.h"

#include <algorithm>
#include <mutex>
#include <span>

#include "platform/media/WaveFormatExtensible.h"
#include "waveform/CVTWaveformDump.h"

namespace {

// Plain PCM, or the extensible record with the PCM sub-format (more than two channels), whose
// samples read the same.
std::optional<WAVEFORMATEX> PcmFormatOf(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Audio || type.formattype != FORMAT_WaveFormatEx) return std::nullopt;
  auto format = WaveFormatOf(type);
  if (!format) return std::nullopt;
  const std::span<const uint8_t> extra =
      std::span(type.format).subspan(std::min(type.format.size(), kWaveFormatExBytes));
  if (PlainFormatTag(*format, extra) != WAVE_FORMAT_PCM) return std::nullopt;
  format->wFormatTag = WAVE_FORMAT_PCM;
  if (!WaveformCondenser::Accepts(*format)) return std::nullopt;
  return format;
}

}  // namespace

CVTWaveformDumpInputPin::CVTWaveformDumpInputPin(CVTWaveformDump* dump) : CBaseInputPin(dump, "Input"), m_pDump(dump) {}

HRESULT CVTWaveformDumpInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  std::lock_guard lock(m_pDump->ReceiveLock());
  if (type == nullptr) return E_POINTER;
  return PcmFormatOf(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVTWaveformDumpInputPin::SetMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  {
    std::lock_guard lock(m_pDump->ReceiveLock());
    const auto format = PcmFormatOf(*type);
    if (!format) return VFW_E_TYPE_NOT_ACCEPTED;
    m_condenser.SetFormat(*format);
  }
  return CBaseInputPin::SetMediaType(type);
}

HRESULT CVTWaveformDumpInputPin::Receive(IMediaSample* sample) {
  // Before the lock: the base checks an attached type through CheckMediaType, which takes it.
  HRESULT hr = CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  std::lock_guard lock(m_pDump->ReceiveLock());
  if (m_pDump->WriteFailed()) return VFW_E_WRONG_STATE;
  if (!m_pDump->IsFileOpen()) return S_OK;
  uint8_t* data = nullptr;
  hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long length = sample->GetActualDataLength();
  m_condenser.Condense({data, static_cast<size_t>(length > 0 ? length : 0)}, &m_values);
  for (const int value : m_values) {
    if (m_pDump->WriteValue(value) != S_OK) break;
    m_condenser.Track(value);
  }
  return S_OK;
}

HRESULT CVTWaveformDumpInputPin::EndOfStream() {
  std::lock_guard lock(m_pDump->ReceiveLock());
  if (m_pDump->WriteFailed()) return VFW_E_WRONG_STATE;
  const HRESULT hr = CBaseInputPin::EndOfStream();
  if (hr != S_OK) return hr;
  if (m_pDump->WriteHeader(m_condenser.FinishHeader()) != S_OK) return VFW_E_WRONG_STATE;
  m_pDump->NotifyEvent(EC_COMPLETE, S_OK, 0);
  return S_OK;
}
