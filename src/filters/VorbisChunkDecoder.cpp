#include "filters/VorbisChunkDecoder.h"

#include <algorithm>
#include <new>

bool VorbisChunkDecoder::Open(std::shared_ptr<const VorbisSession> session) {
  m_session.reset();
  const auto& headers = session->headers;
  if (!m_synthesis.Open(headers[0], headers[1], headers[2])) return false;
  m_session = std::move(session);
  return true;
}

void VorbisChunkDecoder::Decode(VorbisChunk& chunk) {
  if (m_session == chunk.session) {
    m_synthesis.Restart();
  } else if (!Open(chunk.session)) {
    return;
  }
  try {
    for (size_t i = 0; i < chunk.packets.size(); ++i) {
      const VorbisChunkPacket& packet = chunk.packets[i];
      if (!m_synthesis.Decode(chunk.BytesOf(packet), packet.last, packet.granulePosition, packet.number)) continue;
      if (i == 0 && chunk.primed) {
        float** pcm = nullptr;
        m_synthesis.Consume(m_synthesis.Ready(&pcm));
        continue;
      }
      Collect(chunk);
    }
  } catch (const std::bad_alloc&) {
    chunk.outOfMemory = true;
  }
}

void VorbisChunkDecoder::Collect(VorbisChunk& chunk) {
  float** pcm = nullptr;
  int frames = m_synthesis.Ready(&pcm);
  if (frames == 0) return;
  const bool timed = m_synthesis.GranulePosition() >= 0;
  const int64_t granulePosition = m_synthesis.GranulePosition() - kVorbisGranuleBias;
  if (timed && granulePosition - frames < 0) {
    // Before the seek point.
    m_synthesis.Consume(static_cast<int>(std::min<int64_t>(frames, frames - granulePosition)));
    frames = m_synthesis.Ready(&pcm);
    if (frames == 0) return;
  }
  const VorbisPcmWriter& writer = chunk.session->writer;
  const size_t at = chunk.pcm.size();
  try {
    chunk.blocks.reserve(chunk.blocks.size() + 1);
    chunk.pcm.resize(at + static_cast<size_t>(frames) * writer.Format().BlockAlign());
  } catch (const std::bad_alloc&) {
    m_synthesis.Consume(frames);
    throw;
  }
  writer.Write(pcm, frames, chunk.pcm.data() + at);
  m_synthesis.Consume(frames);
  chunk.blocks.push_back({frames, timed ? std::optional(granulePosition) : std::nullopt});
}
