#include "filters/VorbisTestDecoder.h"

#include <vorbis/codec.h>

#include <cmath>

ogg_packet PacketOf(std::span<const uint8_t> bytes, long number) {
  ogg_packet packet{};
  packet.packet = const_cast<unsigned char*>(bytes.data());
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = number == 0;
  packet.packetno = number;
  packet.granulepos = -1;
  return packet;
}

DecodedVorbis DecodeVorbisPackets(const std::vector<ReceivedSample>& packets) {
  DecodedVorbis decoded;
  if (packets.size() < 3) return decoded;
  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  bool headersOk = true;
  for (long i = 0; i < 3 && headersOk; ++i) {
    ogg_packet packet = PacketOf(packets[i].bytes, i);
    headersOk = vorbis_synthesis_headerin(&info, &comment, &packet) == 0;
  }
  if (headersOk) {
    decoded.channels = info.channels;
    decoded.rateHz = info.rate;
    decoded.maxBitrate = info.bitrate_upper;
    decoded.nominalBitrate = info.bitrate_nominal;
    decoded.minBitrate = info.bitrate_lower;
    decoded.samples.resize(info.channels);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_synthesis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    decoded.valid = true;
    for (size_t i = 3; i < packets.size(); ++i) {
      ogg_packet packet = PacketOf(packets[i].bytes, static_cast<long>(i));
      if (vorbis_synthesis(&block, &packet) != 0 || vorbis_synthesis_blockin(&dsp, &block) != 0) {
        decoded.valid = false;
        break;
      }
      float** pcm = nullptr;
      int frames = 0;
      while ((frames = vorbis_synthesis_pcmout(&dsp, &pcm)) > 0) {
        for (int c = 0; c < info.channels; ++c)
          decoded.samples[c].insert(decoded.samples[c].end(), pcm[c], pcm[c] + frames);
        vorbis_synthesis_read(&dsp, frames);
      }
    }
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
  }
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return decoded;
}

double Rms(const std::vector<float>& samples, size_t from, size_t to) {
  if (to > samples.size()) to = samples.size();
  if (from >= to) return 0.0;
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}
