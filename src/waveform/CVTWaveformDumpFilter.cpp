#include "waveform/CVTWaveformDumpFilter.h"

#include <mutex>

CVTWaveformDumpFilter::CVTWaveformDumpFilter() : CBaseFilter(CLSID_VTWaveformDump) {}

HRESULT CVTWaveformDumpFilter::Stop() {
  std::lock_guard lock(m_csFilter);
  CloseFile();
  return CBaseFilter::Stop();
}

HRESULT CVTWaveformDumpFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (!m_bWriteFailed) {
    const HRESULT hr = OpenFile();
    if (FAILED(hr)) return hr;
  }
  return CBaseFilter::Pause();
}

HRESULT CVTWaveformDumpFilter::Run(REFERENCE_TIME start) {
  std::lock_guard lock(m_csFilter);
  m_bWriteFailed = false;
  const HRESULT hr = OpenFile();
  if (FAILED(hr)) return hr;
  return CBaseFilter::Run(start);
}
