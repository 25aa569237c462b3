#include "filters/WavDestFilter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "filters/WavDestOutputPin.h"
#include "platform/media/FileSink.h"

namespace {

// "RIFF" + size, "WAVE", "fmt " + size, then after the format block "data" + size.
constexpr uint32_t kHeaderBytesBesideFormat = 28;
constexpr uint32_t kFormatBlockOffset = 20;

void PutTag(uint8_t* at, const char* tag) { std::memcpy(at, tag, 4); }

}  // namespace

CWavDestFilter::CWavDestFilter(HRESULT* result) : CTransformFilter(CLSID_WavDest) {
  HRESULT hr = S_OK;
  m_pInput.reset(new (std::nothrow) CTransformInputPin("In", this, &hr));
  if (m_pInput) m_pOutput.reset(new (std::nothrow) CWavDestOutputPin("Out", this, &hr));
  if (!m_pInput || !m_pOutput) hr = E_OUTOFMEMORY;
  if (result) *result = hr;
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

HRESULT CWavDestFilter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (!InputPin()->IsConnected()) return E_UNEXPECTED;
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  request->cBuffers = 1;
  request->cbAlign = 1;

  std::shared_ptr<IMemAllocator> inputAllocator;
  HRESULT hr = InputPin()->GetAllocator(&inputAllocator);
  if (FAILED(hr)) return hr;
  ALLOCATOR_PROPERTIES inputProperties;
  hr = inputAllocator->GetProperties(&inputProperties);
  if (FAILED(hr)) return hr;
  request->cbBuffer = inputProperties.cbBuffer;

  ALLOCATOR_PROPERTIES actual;
  hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cBuffers < request->cBuffers || actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT CWavDestFilter::StartStreaming() {
  const size_t formatBytes = InputPin()->CurrentMediaType().format.size();
  if (formatBytes > std::numeric_limits<uint32_t>::max() - kHeaderBytesBesideFormat) return E_FAIL;
  m_headerLength = kHeaderBytesBesideFormat + static_cast<uint32_t>(formatBytes);
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

  const std::vector<uint8_t>& format = InputPin()->CurrentMediaType().format;
  const uint32_t formatBytes = static_cast<uint32_t>(format.size());
  std::vector<uint8_t> header(kHeaderBytesBesideFormat + format.size());
  uint8_t* p = header.data();
  PutTag(p, "RIFF");
  PutLe32(p + 4, m_headerLength + m_dataLength - 8);
  PutTag(p + 8, "WAVE");
  PutTag(p + 12, "fmt ");
  PutLe32(p + 16, formatBytes);
  std::copy(format.begin(), format.end(), p + kFormatBlockOffset);
  PutTag(p + kFormatBlockOffset + formatBytes, "data");
  PutLe32(p + kFormatBlockOffset + formatBytes + 4, m_dataLength);

  HRESULT hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;
  unsigned long written = 0;
  hr = stream->Write(header.data(), static_cast<unsigned long>(header.size()), &written);
  if (SUCCEEDED(hr) && written != header.size()) return E_FAIL;
  return hr;
}
