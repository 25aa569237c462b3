#include "filters/VorbisDecRig.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "filters/OggTestReader.h"
#include "filters/TimeScale.h"
#include "filters/VorbisTestDecoder.h"
#include "support/ScratchFolder.h"

namespace {

constexpr int kChunkFrames = 1024;

void Take(const ogg_packet& packet, int64_t granule, VorbisTestStream* stream) {
  stream->packets.push_back({std::vector<uint8_t>(packet.packet, packet.packet + packet.bytes), granule});
}

}  // namespace

std::vector<float> Sine(size_t frames, double hz, long rateHz, double level) {
  std::vector<float> samples(frames);
  for (size_t i = 0; i < frames; ++i)
    samples[i] = static_cast<float>(level * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rateHz));
  return samples;
}

VorbisTestStream EncodeVorbisStream(long rateHz, const std::vector<std::vector<float>>& audio,
                                    const VorbisComments& comments) {
  VorbisTestStream stream;
  stream.channels = static_cast<int>(audio.size());
  stream.rateHz = rateHz;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, stream.channels, rateHz, 0.4f) != 0) {
    vorbis_info_clear(&info);
    return stream;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  for (const auto& [tag, value] : comments) vorbis_comment_add_tag(&comment, tag.c_str(), value.c_str());
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_packet headers[3];
  vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
  for (const ogg_packet& header : headers) Take(header, 0, &stream);

  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) Take(packet, packet.granulepos, &stream);
    }
  };
  const size_t frames = audio.empty() ? 0 : audio[0].size();
  for (size_t done = 0; done < frames;) {
    const size_t chunk = std::min<size_t>(kChunkFrames, frames - done);
    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
    for (size_t c = 0; c < audio.size(); ++c) std::copy_n(audio[c].data() + done, chunk, buffer[c]);
    vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
    drain();
    done += chunk;
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return stream;
}

std::optional<VorbisTestStream> ReadVorbisFile(const std::string& path) {
  const OggTestFile file = ReadOggTestFile(ScratchFolder::Read(path));
  if (file.pages.empty()) return std::nullopt;
  const std::vector<OggTestPacket>& packets = file.packets.at(file.pages.front().serial);
  if (packets.size() < 3) return std::nullopt;
  VorbisTestStream stream;
  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  bool read = true;
  long previousBlock = -1;
  int64_t count = 0;
  for (size_t i = 0; i < packets.size() && read; ++i) {
    std::vector<uint8_t> bytes = packets[i].bytes;
    ogg_packet packet = PacketOf(bytes, static_cast<long>(i));
    if (i < 3) {
      read = vorbis_synthesis_headerin(&info, &comment, &packet) == 0;
      stream.packets.push_back({bytes, 0});
      continue;
    }
    const long block = vorbis_packet_blocksize(&info, &packet);
    if (previousBlock >= 0 && block > 0) count += (previousBlock + block) / 4;
    if (packets[i].granule != -1) count = packets[i].granule;
    stream.packets.push_back({bytes, count});
    if (block > 0) previousBlock = block;
  }
  stream.channels = info.channels;
  stream.rateHz = info.rate;
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  if (!read) return std::nullopt;
  return stream;
}

VorbisDecRig::VorbisDecRig(int channels, long rateHz, bool preferFloat)
    : m_rateHz(rateHz), m_decoder(std::make_shared<CVorbisDec>()) {
  m_decoder->SetPreferFloat(preferFloat);
  VORBISFORMAT format;
  format.nChannels = static_cast<uint32_t>(channels);
  format.nSamplesPerSec = static_cast<int32_t>(rateHz);
  format.fQuality = 0.4f;
  FilterHarnessOptions options;
  options.sourceType = MakeVorbisMediaType(format);
  options.sink = HarnessSink::Recorder;
  m_harness = std::make_unique<FilterHarness>(m_decoder, std::move(options));
}

HRESULT VorbisDecRig::Connect() { return m_harness->Connect(); }

HRESULT VorbisDecRig::Send(const VorbisTestPacket& packet, bool discontinuity, int64_t origin) {
  // Headers travel at 0 whatever the seek position.
  const bool header = !packet.bytes.empty() && (packet.bytes[0] & 1) != 0;
  const REFERENCE_TIME start = header ? 0 : ScaleRounded(packet.granule - origin, kUnitsPerSecond, m_rateHz);
  return m_harness->Source().Send(packet.bytes, SampleTimes{start, start}, discontinuity);
}

HRESULT VorbisDecRig::SendUntimed(const std::vector<uint8_t>& bytes) { return m_harness->Source().Send(bytes); }

HRESULT VorbisDecRig::SendAll(const std::vector<VorbisTestPacket>& packets, int64_t origin) {
  for (size_t i = 0; i < packets.size(); ++i) {
    const HRESULT hr = Send(packets[i], i == 0, origin);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT VorbisDecRig::Flush() {
  const HRESULT hr = m_harness->Source().DeliverBeginFlush();
  if (FAILED(hr)) return hr;
  return m_harness->Source().DeliverEndFlush();
}

std::vector<int16_t> VorbisDecRig::Output16() const {
  const std::vector<uint8_t> bytes = m_harness->Sink().AllBytes();
  std::vector<int16_t> values(bytes.size() / 2);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int16_t>(GetLe16(&bytes[2 * i]));
  return values;
}

std::vector<float> VorbisDecRig::OutputFloat() const {
  const std::vector<uint8_t> bytes = m_harness->Sink().AllBytes();
  std::vector<float> values(bytes.size() / 4);
  std::memcpy(values.data(), bytes.data(), values.size() * 4);
  return values;
}
