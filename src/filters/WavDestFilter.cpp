#include "filters/WavDestFilter.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "filters/WavDestOutputPin.h"
#include "platform/media/WaveFileHeader.h"
#include "platform/media/WaveFormat.h"

namespace {

constexpr uint32_t kLargestFileBytes = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kSmallestPartBytes = 64 * 1024;
// The data size of a header written before the length is known; the RIFF size follows it to
// 0xFFFFFFFF. Readers that accept an unknown length read such a file to its end.
constexpr uint32_t kUnknownDataBytes = std::numeric_limits<uint32_t>::max();

uint32_t PartLimitFromEnvironment() {
  static const uint32_t limit = [] {
    const char* text = std::getenv("CORVOX_WAV_PART_LIMIT");
    uint64_t bytes = 0;
    if (text == nullptr || std::from_chars(text, text + std::strlen(text), bytes).ec != std::errc() || bytes == 0)
      return kLargestFileBytes;
    return static_cast<uint32_t>(std::clamp<uint64_t>(bytes, kSmallestPartBytes, kLargestFileBytes));
  }();
  return limit;
}

// The interface I of the pin the output is connected to; null when there is none.
template <class I>
I* Downstream(CTransformOutputPin* output) {
  IPin* peer = output->GetConnected();
  return peer ? QueryInterface<I>(peer) : nullptr;
}

}  // namespace

CWavDestFilter::CWavDestFilter(HRESULT* result)
    : CTransformFilter(CLSID_WavDest, "In", "Out"), m_partLimitBytes(PartLimitFromEnvironment()) {
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

void CWavDestFilter::SetPartLimit(uint32_t bytes) { m_partLimitBytes = std::max(bytes, kSmallestPartBytes); }

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
  // Without a stream there is nowhere to put it; stop says so.
  IStream* stream = Downstream<IStream>(OutputPin());
  return stream ? WriteHeader(stream, kUnknownDataBytes) : S_OK;
}

uint64_t CWavDestFilter::PartRoom() const {
  const uint64_t used = uint64_t{m_headerLength} + m_dataLength;
  return used < m_partLimitBytes ? m_partLimitBytes - used : 0;
}

HRESULT CWavDestFilter::Transform(IMediaSample* input, IMediaSample* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  const long length = input->GetActualDataLength();
  if (length < 0 || length > output->GetSize()) return VFW_E_BUFFER_OVERFLOW;
  const uint64_t start = uint64_t{m_headerLength} + m_dataLength;
  if (start + static_cast<uint64_t>(length) > m_partLimitBytes) return E_FAIL;

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
  if (sample == nullptr) return E_POINTER;
  const long length = sample->GetActualDataLength();
  IFileContinuation* continuation = Downstream<IFileContinuation>(OutputPin());
  if (continuation == nullptr || length <= 0 || static_cast<uint64_t>(length) <= PartRoom())
    return DeliverCounted(sample);
  if (m_dataLength > 0) {
    const HRESULT hr = ContinueInNextPart(continuation);
    if (FAILED(hr)) return hr;
    if (static_cast<uint64_t>(length) <= PartRoom()) return DeliverCounted(sample);
  }
  return DeliverDivided(sample, continuation);
}

HRESULT CWavDestFilter::DeliverCounted(IMediaSample* sample) {
  const uint32_t accepted = m_dataLength;
  const HRESULT hr = CTransformFilter::Receive(sample);
  if (hr != S_OK) m_dataLength = accepted;
  return hr;
}

HRESULT CWavDestFilter::ContinueInNextPart(IFileContinuation* continuation) {
  IStream* stream = Downstream<IStream>(OutputPin());
  if (stream == nullptr) return E_NOINTERFACE;
  HRESULT hr = WriteHeader(stream, m_dataLength);
  if (SUCCEEDED(hr)) hr = continuation->ContinueInNextFile();
  if (FAILED(hr)) return hr;
  m_dataLength = 0;
  return WriteHeader(stream, kUnknownDataBytes);
}

HRESULT CWavDestFilter::DeliverDivided(IMediaSample* sample, IFileContinuation* continuation) {
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const std::optional<WAVEFORMATEX> format = DecodeWaveFormat(InputPin()->CurrentMediaType().format);
  // Pieces of whole blocks, so each part decodes on its own.
  const uint64_t block = std::max<uint16_t>(1, format ? format->nBlockAlign : 1);
  const long length = sample->GetActualDataLength();
  long done = 0;
  for (;;) {
    const long piece = static_cast<long>(std::min<uint64_t>(PartRoom() / block * block, length - done));
    if (piece == 0) return E_FAIL;
    CMediaSample view(data + done, piece);
    hr = DeliverCounted(&view);
    if (hr != S_OK) return hr;
    done += piece;
    if (done == length) return S_OK;
    hr = ContinueInNextPart(continuation);
    if (FAILED(hr)) return hr;
  }
}

HRESULT CWavDestFilter::StopStreaming() {
  IPin* peer = OutputPin()->GetConnected();
  if (peer == nullptr) return E_FAIL;
  IStream* stream = QueryInterface<IStream>(peer);
  if (stream == nullptr) return E_NOINTERFACE;
  return WriteHeader(stream, m_dataLength);
}

HRESULT CWavDestFilter::WriteHeader(IStream* stream, uint32_t dataBytes) {
  const std::vector<uint8_t> header = MakeWaveFileHeader(InputPin()->CurrentMediaType().format, dataBytes);
  HRESULT hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;
  unsigned long written = 0;
  hr = stream->Write(header.data(), static_cast<unsigned long>(header.size()), &written);
  if (SUCCEEDED(hr) && written != header.size()) return E_FAIL;
  return hr;
}
