#include "filters/VorbisDec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <string>

#include "filters/TimeScale.h"
#include "filters/VorbisDecInputPin.h"

namespace {

// Vorbis streams carry at most this many channels.
constexpr uint32_t kMaxChannels = 255;

// The header packets' type bytes, in the order the decoder reads them.
constexpr uint8_t kHeaderTypes[3] = {1, 3, 5};

// Sample times are relative to the seek point, so packets before it have negative granule
// positions; libvorbis takes -1 for "unknown" and trims the start of a stream by a position
// below the samples it decoded, which would move the audio after a seek. The library is given
// positions raised by this much, and the decoder itself drops the audio before the seek point.
constexpr int64_t kGranuleBias = int64_t{1} << 40;

bool IsHeader(const std::vector<uint8_t>& packet) { return !packet.empty() && (packet[0] & 1) != 0; }

// A comment value read as a decimal number; nothing when it does not start with one.
std::optional<float> DecimalOf(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first != last && (*first == ' ' || *first == '\t')) ++first;
  if (first != last && *first == '+') ++first;
  float value = 0.0f;
  const std::from_chars_result read = std::from_chars(first, last, value);
  if (read.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

CVorbisDec::CVorbisDec(HRESULT* result) : CTransformFilter(CLSID_VorbisDec, "Ogg Vorbis Packets", "PCM Audio") {
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

std::unique_ptr<CTransformInputPin> CVorbisDec::MakeInputPin(const std::string&) {
  return std::make_unique<CVorbisDecInputPin>(this, nullptr);
}

HRESULT CVorbisDec::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input == nullptr) return E_POINTER;
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(*input);
  if (!format || format->nChannels == 0 || format->nChannels > kMaxChannels || format->nSamplesPerSec <= 0)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT CVorbisDec::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  const std::optional<VorbisPcmFormat> pcm = VorbisPcmFormatOf(*output);
  const std::optional<VORBISFORMAT> vorbis = VorbisFormatOf(*input);
  // Another channel count or sample size than the decoder writes would have it write past
  // the output's buffers.
  if (!pcm || !vorbis || pcm->channels != vorbis->nChannels ||
      pcm->rateHz != static_cast<uint32_t>(vorbis->nSamplesPerSec))
    return VFW_E_TYPE_NOT_ACCEPTED;
  return CheckInputType(input);
}

HRESULT CVorbisDec::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (InputPin() == nullptr || !InputPin()->IsConnected()) return E_UNEXPECTED;
  if (position < 0) return E_INVALIDARG;
  if (position > 1) return VFW_S_NO_MORE_ITEMS;
  const std::optional<VORBISFORMAT> input = VorbisFormatOf(InputPin()->CurrentMediaType());
  if (!input) return E_UNEXPECTED;
  VorbisPcmFormat format;
  format.channels = static_cast<uint16_t>(input->nChannels);
  format.rateHz = static_cast<uint32_t>(input->nSamplesPerSec);
  format.isFloat = (position == 1) != m_preferFloat;
  try {
    *type = MakeVorbisPcmType(format);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CVorbisDec::SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) {
  if (direction == PINDIR_INPUT) return S_OK;
  if (type == nullptr) return E_POINTER;
  m_output = VorbisPcmFormatOf(*type);
  if (!m_output) return VFW_E_TYPE_NOT_ACCEPTED;
  m_writer.SetFormat(*m_output);
  return S_OK;
}

HRESULT CVorbisDec::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES&, ALLOCATOR_PROPERTIES* request) {
  if (!m_output) return E_UNEXPECTED;
  request->cBuffers = std::max(request->cBuffers, 1L);
  request->cbBuffer = std::max(request->cbBuffer, long{m_output->BlockAlign()} * kVorbisDecBufferFrames);
  request->cbAlign = 1;
  request->cbPrefix = 0;
  return S_OK;
}

HRESULT CVorbisDec::StartStreaming() {
  std::lock_guard lock(m_csPackets);
  Reset();
  return S_OK;
}

HRESULT CVorbisDec::StopStreaming() {
  std::lock_guard lock(m_csPackets);
  Reset();
  return S_OK;
}

HRESULT CVorbisDec::Receive(IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  uint8_t* data = nullptr;
  const HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long length = std::clamp(sample->GetActualDataLength(), 0L, sample->GetSize());
  REFERENCE_TIME start = 0, end = 0;
  const bool timed = SUCCEEDED(sample->GetTime(&start, &end));

  std::lock_guard lock(m_csPackets);
  try {
    m_spare.bytes.assign(data, data + length);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  m_spare.start = timed ? std::optional(start) : std::nullopt;
  m_spare.discontinuity = sample->IsDiscontinuity() == S_OK;
  std::swap(m_held, m_spare);
  if (!m_holding) {
    m_holding = true;
    return S_OK;
  }
  // A packet before the seek point means the one before it is earlier still.
  const bool beforeSeekPoint = m_held.start && *m_held.start < 0;
  // Headers after audio begin the next link of a chained file: the audio before them is the
  // last of its link, whose padding its granule position trims.
  const bool linkEnds = IsHeader(m_held.bytes) && !IsHeader(m_spare.bytes);
  return Process(m_spare, linkEnds, !beforeSeekPoint);
}

HRESULT CVorbisDec::EndOfStream() {
  HRESULT decoded = S_OK;
  {
    std::lock_guard lock(m_csPackets);
    if (m_holding) {
      m_holding = false;
      decoded = Process(m_held, true, true);
    }
  }
  const HRESULT ended = CTransformFilter::EndOfStream();
  return FAILED(decoded) ? decoded : ended;
}

HRESULT CVorbisDec::BeginFlush() {
  // Downstream first: a Receive blocked there returns and lets go of m_csPackets.
  const HRESULT hr = CTransformFilter::BeginFlush();
  std::lock_guard lock(m_csPackets);
  if (m_holding) {
    m_holding = false;
    Process(m_held, false, false);
  }
  m_synthesis.Close();
  return hr;
}

HRESULT CVorbisDec::Process(const Packet& packet, bool last, bool decode) {
  if (IsHeader(packet.bytes)) return StoreHeader(packet);
  if (packet.discontinuity) m_synthesis.Close();
  if (!decode) return S_OK;
  if (!m_synthesis.IsOpen()) {
    const HRESULT hr = OpenDecoder();
    if (FAILED(hr)) return hr;
  }
  const int64_t granulePosition = packet.start ? GranuleAt(*packet.start) + kGranuleBias : -1;
  // A damaged packet is skipped; the stream goes on with the next.
  if (!m_synthesis.Decode(packet.bytes, last, granulePosition, m_packetNumber++)) return S_OK;
  return DeliverReady();
}

HRESULT CVorbisDec::StoreHeader(const Packet& packet) {
  const auto type = std::find(std::begin(kHeaderTypes), std::end(kHeaderTypes), packet.bytes[0]);
  if (type == std::end(kHeaderTypes)) return S_OK;
  try {
    m_headers[static_cast<size_t>(type - std::begin(kHeaderTypes))] = packet.bytes;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // Headers in mid-stream start another stream set-up: the decoder is rebuilt from them.
  m_synthesis.Close();
  return S_OK;
}

HRESULT CVorbisDec::OpenDecoder() {
  if (std::any_of(m_headers.begin(), m_headers.end(), [](const auto& header) { return header.empty(); })) {
    SetErrorInfo("The Vorbis stream's audio arrived before its three header packets; it cannot be decoded.");
    return E_FAIL;
  }
  if (!m_synthesis.Open(m_headers[0], m_headers[1], m_headers[2])) {
    SetErrorInfo("The Vorbis stream's header packets are damaged; it cannot be decoded.");
    return E_FAIL;
  }
  if (!m_output || m_synthesis.Channels() != m_output->channels ||
      m_synthesis.RateHz() != static_cast<long>(m_output->rateHz)) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The Vorbis stream holds %d channel(s) at %ld Hz, not what its media type announced; it cannot be "
                  "decoded.",
                  m_synthesis.Channels(), m_synthesis.RateHz());
    m_synthesis.Close();
    SetErrorInfo(text);
    return E_FAIL;
  }
  m_packetNumber = 3;
  std::optional<std::string> gain = m_synthesis.Comment("LWING_GAIN");
  if (!gain) gain = m_synthesis.Comment("POSTGAIN");
  m_writer.SetGain(gain ? DecimalOf(*gain) : std::nullopt);
  return S_OK;
}

HRESULT CVorbisDec::DeliverReady() {
  float** pcm = nullptr;
  int frames = m_synthesis.Ready(&pcm);
  if (frames == 0) return S_OK;
  const int64_t granulePosition = m_synthesis.GranulePosition() - kGranuleBias;
  if (m_synthesis.GranulePosition() >= 0 && granulePosition - frames < 0) {
    // Before the seek point.
    m_synthesis.Consume(static_cast<int>(std::min<int64_t>(frames, frames - granulePosition)));
    frames = m_synthesis.Ready(&pcm);
    if (frames == 0) return S_OK;
  }
  SamplePtr output;
  HRESULT hr = OutputPin()->GetDeliveryBuffer(&output, nullptr, nullptr, 0);
  if (FAILED(hr)) {
    m_synthesis.Consume(frames);
    return hr;
  }
  const long blockAlign = m_output->BlockAlign();
  if (frames > output->GetSize() / blockAlign) {
    m_synthesis.Consume(frames);
    return VFW_E_BUFFER_OVERFLOW;
  }
  uint8_t* data = nullptr;
  hr = output->GetPointer(&data);
  if (FAILED(hr)) {
    m_synthesis.Consume(frames);
    return hr;
  }
  m_writer.Write(pcm, frames, data);
  m_synthesis.Consume(frames);
  output->SetActualDataLength(frames * blockAlign);
  if (m_synthesis.GranulePosition() >= 0) {
    const REFERENCE_TIME start = TimeOf(granulePosition - frames), end = TimeOf(granulePosition);
    output->SetTime(&start, &end);
  }
  output->SetSyncPoint(true);
  output->SetDiscontinuity(false);
  output->SetPreroll(false);
  return OutputPin()->Deliver(output.get());
}

void CVorbisDec::Reset() {
  m_holding = false;
  for (std::vector<uint8_t>& header : m_headers) std::vector<uint8_t>().swap(header);
  m_synthesis.Close();
  m_packetNumber = 0;
}

int64_t CVorbisDec::GranuleAt(REFERENCE_TIME time) const {
  return ScaleRounded(time, m_output->rateHz, kUnitsPerSecond);
}

REFERENCE_TIME CVorbisDec::TimeOf(int64_t granulePosition) const {
  return ScaleRounded(granulePosition, kUnitsPerSecond, m_output->rateHz);
}
