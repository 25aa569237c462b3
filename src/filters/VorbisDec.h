#pragma once
// The Vorbis decoder: a transform from Vorbis packets, one per input sample (the three headers
// first, as the Ogg splitter delivers them), to interleaved PCM, 16-bit or float. Each packet is
// held back until the next arrives, so the last one of a stream is known at end of stream and
// decoded with the flag that trims its padding; so is the last one before headers that arrive
// after audio (the next link of a chained file). The header packets are kept as they pass; a
// session of decoding begins with them at the first audio packet and ends at every
// discontinuity, flush and stop, so headers sent again after a seek let decoding resume.
// Audio packets are gathered into chunks (VorbisChunk) that decode on two cores: the worker
// of m_queue decodes one while the streaming thread gathers the next or decodes a later one,
// and the streaming thread delivers them in order. So the audio of a packet may arrive
// downstream during a later Receive; EndOfStream delivers all of it, a flush drops it.
// Sample times are relative to the seek point: audio before it (the preroll packet the splitter
// sends after a seek) is decoded for its overlap but not delivered.
// A "LWING_GAIN" comment, or else "POSTGAIN", scales every sample by its value.
//
// Threads: Receive and EndOfStream run on the upstream streaming thread, StartStreaming and
// StopStreaming on the thread that changes the state; the transform base holds m_csReceive
// around all four. BeginFlush runs on the thread that flushes, without m_csReceive. All four
// packet paths also take m_csPackets, which guards m_headers, m_held, m_spare, m_session,
// m_chunk, m_chunkLimit, m_decoder, m_packetNumber and the calls into m_queue; BeginFlush
// passes the flush downstream before taking it, so a Receive blocked downstream returns first.
// m_queue's worker thread touches only the queue's own state (see VorbisChunkQueue.h).
// m_output and m_writer change only with the output connection, while stopped, under the
// filter lock. m_preferFloat is read at connection and written by the application while
// stopped.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "filters/VorbisChunk.h"
#include "filters/VorbisChunkDecoder.h"
#include "filters/VorbisChunkQueue.h"
#include "filters/VorbisFormat.h"
#include "filters/VorbisPcmFormat.h"
#include "filters/VorbisPcmWriter.h"
#include "platform/media/TransformFilter.h"

// {02391F44-2767-4E6A-A484-9B47B506F3A4}
inline constexpr CLSID CLSID_VorbisDec{0x02391F44, 0x2767, 0x4E6A, {0xA4, 0x84, 0x9B, 0x47, 0xB5, 0x06, 0xF3, 0xA4}};

// Output buffers hold this many frames: more than one packet of the longest block decodes to.
constexpr long kVorbisDecBufferFrames = 4096;

class CVorbisDec : public CTransformFilter {
 public:
  // Pins "Ogg Vorbis Packets" and "PCM Audio"; *result is E_OUTOFMEMORY when either cannot be
  // created.
  explicit CVorbisDec(HRESULT* result = nullptr);

  std::unique_ptr<CTransformInputPin> MakeInputPin(const std::string& name) override;

  // The Vorbis type with a format block of at least 24 bytes, 1 to 255 channels and a positive
  // rate; VFW_E_TYPE_NOT_ACCEPTED otherwise.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  // The output must be PCM the decoder can fill (VorbisPcmFormatOf) with the input's channels
  // and rate; then the input's check.
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  // Position 0 is 16-bit PCM and position 1 float, or the other way round when floats are
  // preferred.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) override;
  // At least one buffer of kVorbisDecBufferFrames frames, byte-aligned.
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override;
  HRESULT StartStreaming() override;
  HRESULT StopStreaming() override;
  // Holds the sample back and queues the one held before it for decoding, delivering the
  // audio decoded by then. E_FAIL (with a text through SetErrorInfo) when an audio packet
  // arrives before all three headers, or the headers do not make a decoder for the connected
  // output.
  HRESULT Receive(IMediaSample* sample) override;
  // Decodes the held packet as the stream's last and delivers all audio, then passes end of
  // stream on; a failure of the decoding is returned after the end of stream.
  HRESULT EndOfStream() override;
  // Drops the held packet (keeping it if it is a header) and all audio not delivered, and ends
  // the session.
  HRESULT BeginFlush() override;

  // Whether position 0 offers floats. Set while the output is unconnected.
  void SetPreferFloat(bool preferFloat) { m_preferFloat = preferFloat; }

 private:
  struct Packet {
    std::vector<uint8_t> bytes;
    std::optional<REFERENCE_TIME> start;
    bool discontinuity = false;
  };

  // Stores a header, ends the session at a discontinuity, then (when `decode`) adds the packet
  // to the chunk being gathered.
  HRESULT Process(const Packet& packet, bool last, bool decode);
  // Keeps a copy of a header packet by its type byte (1, 3 or 5); other types are ignored.
  HRESULT StoreHeader(const Packet& packet);
  // Begins a session from the stored headers.
  HRESULT OpenDecoder();
  // Adds an audio packet to the chunk, queueing the chunk when it is full or `last`.
  HRESULT Gather(const Packet& packet, bool last);
  // Queues the chunk being gathered, and begins the next with its last packet as primer.
  HRESULT SubmitChunk();
  // Queues what the session gathered; the next audio begins a new session.
  HRESULT EndSession();
  // Delivers the decoded chunks at the front of the queue, decoding and waiting until at most
  // `keep` chunks remain. The first failure.
  HRESULT DeliverDecoded(size_t keep);
  HRESULT DeliverChunk(const VorbisChunk& chunk);
  // Forgets the held packet, the headers, the session and every chunk.
  void Reset();
  // 100-ns units to granule positions at the stream's rate and back, rounded to nearest.
  int64_t GranuleAt(REFERENCE_TIME time) const;
  REFERENCE_TIME TimeOf(int64_t granulePosition) const;

  std::mutex m_csPackets;
  std::array<std::vector<uint8_t>, 3> m_headers;  // identification, comment, codebook
  Packet m_held;
  bool m_holding = false;
  Packet m_spare;                                  // the previous packet while it is processed; keeps its capacity
  std::shared_ptr<const VorbisSession> m_session;  // nothing between sessions
  std::unique_ptr<VorbisChunk> m_chunk;            // being gathered
  size_t m_chunkLimit = 0;                         // audio packets in m_chunk before it is queued
  VorbisChunkDecoder m_decoder;                    // the streaming thread's
  VorbisChunkQueue m_queue;
  int64_t m_packetNumber = 0;
  std::optional<VorbisPcmFormat> m_output;  // set with the output type
  VorbisPcmWriter m_writer;
  bool m_preferFloat = false;
};
