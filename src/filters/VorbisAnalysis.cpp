#include "filters/VorbisAnalysis.h"

#include <vorbis/vorbisenc.h>

#include "filters/VorbisCodecState.h"

struct VorbisAnalysis::State : VorbisCodecState {
  ogg_packet headers[3]{};
  bool blockPending = false;  // a block whose packets are still being flushed
};

namespace {

VorbisPacket PacketOf(const ogg_packet& packet) {
  return VorbisPacket{packet.packet, packet.bytes, static_cast<int64_t>(packet.granulepos)};
}

}  // namespace

VorbisAnalysis::VorbisAnalysis() : m_state(std::make_unique<State>()) {}

VorbisAnalysis::~VorbisAnalysis() { Close(); }

bool VorbisAnalysis::Open(const VORBISFORMAT& format) {
  Close();
  State& s = *m_state;
  vorbis_info_init(&s.info);
  const long channels = static_cast<long>(format.nChannels);
  const int result = IsVorbisQualityMode(format.fQuality)
                         ? vorbis_encode_init_vbr(&s.info, channels, format.nSamplesPerSec, format.fQuality)
                         : vorbis_encode_init(&s.info, channels, format.nSamplesPerSec, format.nMaxBitsPerSec,
                                              format.nAvgBitsPerSec, format.nMinBitsPerSec);
  if (result != 0) {
    vorbis_info_clear(&s.info);
    return false;
  }
  vorbis_comment_init(&s.comment);
  vorbis_analysis_init(&s.dsp, &s.info);
  vorbis_block_init(&s.dsp, &s.block);
  s.open = true;
  s.blockPending = false;
  return true;
}

void VorbisAnalysis::Close() { m_state->Clear(); }

bool VorbisAnalysis::IsOpen() const { return m_state->open; }

bool VorbisAnalysis::HeaderPackets(VorbisPacket (&headers)[3]) {
  State& s = *m_state;
  if (vorbis_analysis_headerout(&s.dsp, &s.comment, &s.headers[0], &s.headers[1], &s.headers[2]) != 0) return false;
  for (int i = 0; i < 3; ++i) headers[i] = PacketOf(s.headers[i]);
  return true;
}

float** VorbisAnalysis::Buffer(int frames) { return vorbis_analysis_buffer(&m_state->dsp, frames); }

void VorbisAnalysis::Wrote(int frames) { vorbis_analysis_wrote(&m_state->dsp, frames); }

bool VorbisAnalysis::NextPacket(VorbisPacket* packet) {
  State& s = *m_state;
  ogg_packet produced;
  for (;;) {
    if (s.blockPending) {
      if (vorbis_bitrate_flushpacket(&s.dsp, &produced) == 1) {
        *packet = PacketOf(produced);
        return true;
      }
      s.blockPending = false;
    }
    if (vorbis_analysis_blockout(&s.dsp, &s.block) != 1) return false;
    vorbis_analysis(&s.block, nullptr);
    vorbis_bitrate_addblock(&s.block);
    s.blockPending = true;
  }
}

int64_t VorbisAnalysis::GranulePosition() const { return m_state->dsp.granulepos; }

#if defined(__SANITIZE_ADDRESS__)
// libvorbisenc keeps one allocation of its setup for more than two channels past
// vorbis_info_clear; it is the library's, not ours, and must not fail sanitized runs.
extern "C" const char* __lsan_default_suppressions() { return "leak:vorbis_encode_setup_init\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
