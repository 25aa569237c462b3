#include "filters/WavDestFilter.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "filters/WavDestOutputPin.h"
#include "platform/media/MediaSample.h"
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
  // Parts are cut between units that decode on their own: MPEG frames, else format blocks.
  const std::optional<WAVEFORMATEX> format = DecodeWaveFormat(InputPin()->CurrentMediaType().format);
  const bool mpeg = format && (format->wFormatTag == WAVE_FORMAT_MPEG || format->wFormatTag == WAVE_FORMAT_MPEGLAYER3);
  m_frames = mpeg ? std::optional<MpegFrameWalker>(MpegFrameWalker()) : std::nullopt;
  m_blockAlign = std::max<uint16_t>(1, format && !mpeg ? format->nBlockAlign : 1);
  // Without a stream there is nowhere to put it; stop says so. A failed write is the file
  // writer's to report, with its reason (a full disk), as it would be for the first sample.
  if (IStream* stream = Downstream<IStream>(OutputPin())) WriteHeader(stream, kUnknownDataBytes);
  return S_OK;
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
  IFileContinuation* continuation = Downstream<IFileContinuation>(OutputPin());
  const long length = sample->GetActualDataLength();
  uint8_t* data = nullptr;
  if (continuation == nullptr || length <= 0 || FAILED(sample->GetPointer(&data))) return DeliverCounted(sample);

  const std::span<const uint8_t> bytes(data, static_cast<size_t>(length));
  const std::optional<MpegFrameWalker> before = m_frames;
  const std::vector<size_t> frameStarts = m_frames ? m_frames->Walk(bytes) : std::vector<size_t>();
  size_t done = 0;
  HRESULT hr = S_OK;
  while (bytes.size() - done > PartRoom()) {
    const size_t cut = CutPoint(frameStarts, done);
    if (cut == done && m_dataLength == 0) {
      hr = E_FAIL;  // not one block fits in a part
      break;
    }
    if (cut > done) {
      hr = DeliverPiece(bytes.subspan(done, cut - done));
      if (hr != S_OK) break;
      done = cut;
    }
    hr = ContinueInNextPart(continuation);
    if (FAILED(hr)) break;
  }
  if (hr == S_OK) hr = done == 0 ? DeliverCounted(sample) : DeliverPiece(bytes.subspan(done));
  if (hr != S_OK && m_frames) {
    // The walker follows what reached the file only.
    m_frames = before;
    m_frames->Walk(bytes.first(done));
  }
  return hr;
}

size_t CWavDestFilter::CutPoint(const std::vector<size_t>& frameStarts, size_t done) const {
  const uint64_t room = PartRoom();
  if (m_frames) {
    size_t cut = done;
    for (const size_t start : frameStarts)
      if (start > done && start - done <= room) cut = start;
    // A stream out of step has no frame start in reach: an empty part is filled all the same.
    return cut == done && m_dataLength == 0 ? done + static_cast<size_t>(room) : cut;
  }
  // Parts begin on a block boundary, so one ends on a multiple of the block from its start.
  const uint64_t aligned = (m_dataLength + room) / m_blockAlign * m_blockAlign;
  return aligned > m_dataLength ? done + static_cast<size_t>(aligned - m_dataLength) : done;
}

HRESULT CWavDestFilter::DeliverPiece(std::span<const uint8_t> piece) {
  CMediaSample view(const_cast<uint8_t*>(piece.data()), static_cast<long>(piece.size()));
  return DeliverCounted(&view);
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
