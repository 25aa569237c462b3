#include "filters/VorbisDec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "filters/TimeScale.h"
#include "filters/VorbisDecInputPin.h"

namespace {

// Vorbis streams carry at most this many channels.
constexpr uint32_t kMaxChannels = 255;

// The header packets' type bytes, in the order the decoder reads them.
constexpr uint8_t kHeaderTypes[3] = {1, 3, 5};

// The first chunk of a session is small, so that audio starts soon after a seek; chunks then
// double up to kMaxChunkPackets, or fewer when their audio could pass kChunkBytes.
constexpr size_t kFirstChunkPackets = 4;
constexpr size_t kMaxChunkPackets = 64;
constexpr size_t kChunkBytes = size_t{4} << 20;
// A packet without a granule position cannot prime a chunk exactly (the times after it would
// be lost), so a chunk goes on past its limit until a timed packet; at this many it ends
// anyway, so that memory stays bounded.
constexpr size_t kUntimedChunkPackets = 4 * kMaxChunkPackets;
// Chunks queued and not yet delivered: one for each core to decode.
constexpr size_t kChunksInFlight = 2;

size_t MaxChunkPackets(const VorbisPcmFormat& format) {
  const size_t packetBytes = size_t{format.BlockAlign()} * kVorbisDecBufferFrames;
  return std::clamp(kChunkBytes / std::max<size_t>(packetBytes, 1), kFirstChunkPackets, kMaxChunkPackets);
}

// The first failure or S_FALSE of two steps.
HRESULT Either(HRESULT first, HRESULT second) { return first != S_OK ? first : second; }

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
  m_queue.Start();
  return S_OK;
}

HRESULT CVorbisDec::StopStreaming() {
  std::lock_guard lock(m_csPackets);
  Reset();
  m_queue.Stop();
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
    decoded = Either(decoded, EndSession());
    decoded = Either(decoded, DeliverDecoded(0));
  }
  const HRESULT ended = CTransformFilter::EndOfStream();
  return FAILED(decoded) ? decoded : ended;
}

HRESULT CVorbisDec::BeginFlush() {
  // Downstream first: a Receive blocked there returns and lets go of m_csPackets.
  const HRESULT hr = CTransformFilter::BeginFlush();
  std::lock_guard lock(m_csPackets);
  m_chunk.reset();
  m_queue.Discard();
  if (m_holding) {
    m_holding = false;
    Process(m_held, false, false);
  }
  m_session.reset();
  return hr;
}

HRESULT CVorbisDec::Process(const Packet& packet, bool last, bool decode) {
  if (IsHeader(packet.bytes)) return StoreHeader(packet);
  const HRESULT ended = packet.discontinuity ? EndSession() : S_OK;
  if (!decode) return ended;
  if (!m_session) {
    const HRESULT hr = OpenDecoder();
    if (FAILED(hr)) return hr;
  }
  return Either(ended, Gather(packet, last));
}

HRESULT CVorbisDec::StoreHeader(const Packet& packet) {
  const auto type = std::find(std::begin(kHeaderTypes), std::end(kHeaderTypes), packet.bytes[0]);
  if (type == std::end(kHeaderTypes)) return S_OK;
  // Headers in mid-stream start another stream set-up: a new session begins with them.
  const HRESULT ended = EndSession();
  try {
    m_headers[static_cast<size_t>(type - std::begin(kHeaderTypes))] = packet.bytes;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return ended;
}

HRESULT CVorbisDec::OpenDecoder() {
  if (std::any_of(m_headers.begin(), m_headers.end(), [](const auto& header) { return header.empty(); })) {
    SetErrorInfo("The Vorbis stream's audio arrived before its three header packets; it cannot be decoded.");
    return E_FAIL;
  }
  std::shared_ptr<VorbisSession> session;
  try {
    session = std::make_shared<VorbisSession>(VorbisSession{m_headers, m_writer});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (!m_decoder.Open(session)) {
    SetErrorInfo("The Vorbis stream's header packets are damaged; it cannot be decoded.");
    return E_FAIL;
  }
  const VorbisSynthesis& synthesis = m_decoder.Synthesis();
  if (!m_output || synthesis.Channels() != m_output->channels ||
      synthesis.RateHz() != static_cast<long>(m_output->rateHz)) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The Vorbis stream holds %d channel(s) at %ld Hz, not what its media type announced; it cannot be "
                  "decoded.",
                  synthesis.Channels(), synthesis.RateHz());
    SetErrorInfo(text);
    return E_FAIL;
  }
  m_packetNumber = 3;
  std::optional<std::string> gain = synthesis.Comment("LWING_GAIN");
  if (!gain) gain = synthesis.Comment("POSTGAIN");
  session->writer.SetGain(gain ? DecimalOf(*gain) : std::nullopt);
  m_session = std::move(session);
  m_chunkLimit = kFirstChunkPackets;
  return S_OK;
}

HRESULT CVorbisDec::Gather(const Packet& packet, bool last) {
  const int64_t granulePosition = packet.start ? GranuleAt(*packet.start) + kVorbisGranuleBias : -1;
  try {
    if (!m_chunk) {
      m_chunk = std::make_unique<VorbisChunk>();
      m_chunk->session = m_session;
    }
    m_chunk->Add(packet.bytes, granulePosition, m_packetNumber++, last);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const size_t gathered = m_chunk->AudioPackets();
  const bool full = gathered >= m_chunkLimit && (granulePosition >= 0 || gathered >= kUntimedChunkPackets);
  if (last || full) return SubmitChunk();
  return DeliverDecoded(kChunksInFlight);
}

HRESULT CVorbisDec::SubmitChunk() {
  std::unique_ptr<VorbisChunk> next;
  try {
    const VorbisChunkPacket& tail = m_chunk->packets.back();
    if (!tail.last) {
      next = std::make_unique<VorbisChunk>();
      next->session = m_session;
      next->primed = true;
      next->Add(m_chunk->BytesOf(tail), tail.granulePosition, tail.number, false);
    }
    m_queue.Submit(std::move(m_chunk));
  } catch (const std::bad_alloc&) {
    m_chunk.reset();
    return E_OUTOFMEMORY;
  }
  m_chunk = std::move(next);
  m_chunkLimit = std::min(2 * m_chunkLimit, MaxChunkPackets(*m_output));
  return DeliverDecoded(kChunksInFlight);
}

HRESULT CVorbisDec::EndSession() {
  const HRESULT hr = m_chunk && m_chunk->AudioPackets() > 0 ? SubmitChunk() : S_OK;
  m_chunk.reset();
  m_session.reset();
  return hr;
}

HRESULT CVorbisDec::DeliverDecoded(size_t keep) {
  HRESULT result = S_OK;
  while (std::unique_ptr<VorbisChunk> chunk = m_queue.Take(m_decoder, m_queue.Count() > keep))
    result = Either(result, DeliverChunk(*chunk));
  return result;
}

HRESULT CVorbisDec::DeliverChunk(const VorbisChunk& chunk) {
  const long blockAlign = chunk.session->writer.Format().BlockAlign();
  const uint8_t* pcm = chunk.pcm.data();
  for (const VorbisChunkBlock& block : chunk.blocks) {
    const long length = block.frames * blockAlign;
    const uint8_t* from = pcm;
    pcm += length;
    SamplePtr output;
    HRESULT hr = OutputPin()->GetDeliveryBuffer(&output, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    if (length > output->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    uint8_t* data = nullptr;
    hr = output->GetPointer(&data);
    if (FAILED(hr)) return hr;
    std::memcpy(data, from, static_cast<size_t>(length));
    output->SetActualDataLength(length);
    if (block.endGranule) {
      const REFERENCE_TIME start = TimeOf(*block.endGranule - block.frames), end = TimeOf(*block.endGranule);
      output->SetTime(&start, &end);
    }
    output->SetSyncPoint(true);
    output->SetDiscontinuity(false);
    output->SetPreroll(false);
    hr = OutputPin()->Deliver(output.get());
    if (hr != S_OK) return hr;
  }
  return chunk.outOfMemory ? E_OUTOFMEMORY : S_OK;
}

void CVorbisDec::Reset() {
  m_holding = false;
  for (std::vector<uint8_t>& header : m_headers) std::vector<uint8_t>().swap(header);
  m_chunk.reset();
  m_session.reset();
  m_queue.Discard();
  m_packetNumber = 0;
}

int64_t CVorbisDec::GranuleAt(REFERENCE_TIME time) const {
  return ScaleRounded(time, m_output->rateHz, kUnitsPerSecond);
}

REFERENCE_TIME CVorbisDec::TimeOf(int64_t granulePosition) const {
  return ScaleRounded(granulePosition, kUnitsPerSecond, m_output->rateHz);
}
