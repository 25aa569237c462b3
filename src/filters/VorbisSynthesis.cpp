#include "filters/VorbisSynthesis.h"

#include "filters/VorbisCodecState.h"

struct VorbisSynthesis::State : VorbisCodecState {};

namespace {

ogg_packet PacketOf(std::span<const uint8_t> bytes, int64_t number) {
  ogg_packet packet{};
  // The library reads packets through a non-const pointer but does not write them.
  packet.packet = const_cast<unsigned char*>(bytes.data());
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = number == 0;
  packet.granulepos = -1;
  packet.packetno = number;
  return packet;
}

}  // namespace

VorbisSynthesis::VorbisSynthesis() : m_state(std::make_unique<State>()) {}

VorbisSynthesis::~VorbisSynthesis() { Close(); }

bool VorbisSynthesis::Open(std::span<const uint8_t> identification, std::span<const uint8_t> comment,
                           std::span<const uint8_t> codebook) {
  Close();
  State& s = *m_state;
  vorbis_info_init(&s.info);
  vorbis_comment_init(&s.comment);
  const std::span<const uint8_t> headers[3] = {identification, comment, codebook};
  bool read = true;
  for (int64_t i = 0; i < 3 && read; ++i) {
    ogg_packet packet = PacketOf(headers[i], i);
    read = vorbis_synthesis_headerin(&s.info, &s.comment, &packet) == 0;
  }
  if (!read || vorbis_synthesis_init(&s.dsp, &s.info) != 0) {
    vorbis_comment_clear(&s.comment);
    vorbis_info_clear(&s.info);
    return false;
  }
  vorbis_block_init(&s.dsp, &s.block);
  s.open = true;
  return true;
}

void VorbisSynthesis::Close() { m_state->Clear(); }

void VorbisSynthesis::Restart() {
  if (m_state->open) vorbis_synthesis_restart(&m_state->dsp);
}

bool VorbisSynthesis::IsOpen() const { return m_state->open; }

int VorbisSynthesis::Channels() const { return m_state->open ? m_state->info.channels : 0; }

long VorbisSynthesis::RateHz() const { return m_state->open ? m_state->info.rate : 0; }

std::optional<std::string> VorbisSynthesis::Comment(const char* tag) const {
  if (!m_state->open) return std::nullopt;
  const char* value = vorbis_comment_query(&m_state->comment, tag, 0);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool VorbisSynthesis::Decode(std::span<const uint8_t> bytes, bool last, int64_t granulePosition, int64_t packetNumber) {
  State& s = *m_state;
  if (!s.open) return false;
  ogg_packet packet = PacketOf(bytes, packetNumber);
  packet.b_o_s = 0;
  packet.e_o_s = last;
  packet.granulepos = granulePosition;
  return vorbis_synthesis(&s.block, &packet) == 0 && vorbis_synthesis_blockin(&s.dsp, &s.block) == 0;
}

int VorbisSynthesis::Ready(float*** channels) {
  if (!m_state->open) return 0;
  const int frames = vorbis_synthesis_pcmout(&m_state->dsp, channels);
  return frames > 0 ? frames : 0;
}

void VorbisSynthesis::Consume(int frames) {
  if (m_state->open && frames > 0) vorbis_synthesis_read(&m_state->dsp, frames);
}

int64_t VorbisSynthesis::GranulePosition() const { return m_state->open ? m_state->dsp.granulepos : -1; }
