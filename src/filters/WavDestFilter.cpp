#include "filters/WavDestFilter.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "filters/WavDestOutputPin.h"
#include "platform/media/FileSink.h"
#include "platform/media/WaveFileHeader.h"

CWavDestFilter::CWavDestFilter(HRESULT* result) : CTransformFilter(CLSID_WavDest, "In", "Out") {
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

std::unique_ptr<CTransformOutputPin> CWavDestFilter::MakeOutputPin(const std::string& name) {
  return std::make_unique<CWavDestOutputPin>(name, this, nullptr);
}

HRESULT CWavDestFilter::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input == nullptr) return E_POINTER;
  return input->formattype == FORMAT_WaveFormatEx ? S_OK : S_FALSE;
}

HRESULT CWavDestFilter::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE*) {
  const HRESULT hr = CheckInputType(input);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT CWavDestFilter::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  *type = AM_MEDIA_TYPE{};
  type->majortype = MEDIATYPE_Stream;
  type->subtype = MEDIASUBTYPE_WAVE;
  type->formattype = FORMAT_None;
  return S_OK;
}

HRESULT CWavDestFilter::StartStreaming() {
  const size_t formatBytes = InputPin()->CurrentMediaType().format.size();
  if (formatBytes > std::numeric_limits<uint32_t>::max() - kWaveHeaderBytesBesideFormat) return E_FAIL;
  m_headerLength = kWaveHeaderBytesBesideFormat + static_cast<uint32_t>(formatBytes);
  m_dataLength = 0;
  return S_OK;
}

HRESULT CWavDestFilter::Transform(IMediaSample* input, IMediaSample* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  const long length = input->GetActualDataLength();
  if (length < 0 || length > output->GetSize()) return VFW_E_BUFFER_OVERFLOW;
  const uint64_t start = uint64_t{m_headerLength} + m_dataLength;
  if (start + static_cast<uint64_t>(length) > std::numeric_limits<uint32_t>::max()) return E_FAIL;

  uint8_t* from = nullptr;
  uint8_t* to = nullptr;
  HRESULT hr = input->GetPointer(&from);
  if (SUCCEEDED(hr)) hr = output->GetPointer(&to);
  if (FAILED(hr)) return hr;
  std::copy_n(from, length, to);
  output->SetActualDataLength(length);
  output->SetMediaTime(nullptr, nullptr);
  output->SetMediaType(input->GetMediaType());
  // For a byte stream the reference-time fields carry byte positions.
  const REFERENCE_TIME first = static_cast<REFERENCE_TIME>(start), last = first + length;
  output->SetTime(&first, &last);
  m_dataLength += static_cast<uint32_t>(length);
  return S_OK;
}

HRESULT CWavDestFilter::Receive(IMediaSample* sample) {
  const uint32_t accepted = m_dataLength;
  const HRESULT hr = CTransformFilter::Receive(sample);
  if (hr != S_OK) m_dataLength = accepted;
  return hr;
}

HRESULT CWavDestFilter::StopStreaming() {
  IPin* peer = OutputPin()->GetConnected();
  if (peer == nullptr) return E_FAIL;
  IStream* stream = QueryInterface<IStream>(peer);
  if (stream == nullptr) return E_NOINTERFACE;

  const std::vector<uint8_t> header = MakeWaveFileHeader(InputPin()->CurrentMediaType().format, m_dataLength);
  HRESULT hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;
  unsigned long written = 0;
  hr = stream->Write(header.data(), static_cast<unsigned long>(header.size()), &written);
  if (SUCCEEDED(hr) && written != header.size()) return E_FAIL;
  return hr;
}
