#pragma once
// Vorbis packet streams for the decoder's tests, and the decoder between the harness's fakes.
// Streams come from libvorbisenc in memory or from an Ogg file read with libogg; every packet
// carries the granule position the Ogg splitter gives it (headers 0), so the rig can send it
// stamped as the splitter does.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "filters/VorbisDec.h"
#include "support/FilterHarness.h"

struct VorbisTestPacket {
  std::vector<uint8_t> bytes;
  int64_t granule = 0;
};

struct VorbisTestStream {
  int channels = 0;
  long rateHz = 0;
  std::vector<VorbisTestPacket> packets;  // three headers, then audio
};

using VorbisComments = std::vector<std::pair<std::string, std::string>>;

// Encodes `audio` (one array per Vorbis channel, equal lengths) at quality 0.4.
VorbisTestStream EncodeVorbisStream(long rateHz, const std::vector<std::vector<float>>& audio,
                                    const VorbisComments& comments = {});
// The first logical stream of an Ogg Vorbis file; granule positions of packets inside a page
// count on from the previous packet by block sizes. Nothing when the file cannot be read.
std::optional<VorbisTestStream> ReadVorbisFile(const std::string& path);

// `frames` of a sine at `hz` and `level`.
std::vector<float> Sine(size_t frames, double hz, long rateHz, double level);

class VorbisDecRig {
 public:
  // Connected with the stream's channels and rate, 16-bit output unless floats are preferred.
  VorbisDecRig(int channels, long rateHz, bool preferFloat = false);

  HRESULT Connect();
  HRESULT Run() { return m_harness->Run(); }
  HRESULT Stop() { return m_harness->Stop(); }

  // Stamped start = end = the time of the granule position less `origin` (headers: 0), as the
  // splitter does after a seek to `origin`.
  HRESULT Send(const VorbisTestPacket& packet, bool discontinuity = false, int64_t origin = 0);
  HRESULT SendUntimed(const std::vector<uint8_t>& bytes);
  // Every packet in order, the first marked as a discontinuity; the first failure.
  HRESULT SendAll(const std::vector<VorbisTestPacket>& packets, int64_t origin = 0);
  HRESULT EndOfStream() { return m_harness->SendEndOfStream(); }
  HRESULT Flush();

  CVorbisDec& Decoder() { return *m_decoder; }
  FilterHarness& Harness() { return *m_harness; }
  std::vector<ReceivedSample> Output() const { return m_harness->Sink().Samples(); }
  // All delivered samples, as 16-bit values or floats.
  std::vector<int16_t> Output16() const;
  std::vector<float> OutputFloat() const;

 private:
  long m_rateHz;
  std::shared_ptr<CVorbisDec> m_decoder;
  std::unique_ptr<FilterHarness> m_harness;
};
