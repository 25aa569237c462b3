#pragma once
// One library decoder that decodes chunks: opened anew when a chunk belongs to another session
// than the one before, restarted otherwise (reading the codebooks again for every chunk would
// cost more than the chunk's decoding). Audio before the seek point is dropped here. Used by
// one thread at a time; each thread that decodes owns its own.

#include <memory>

#include "filters/VorbisChunk.h"
#include "filters/VorbisSynthesis.h"

class VorbisChunkDecoder {
 public:
  // Reads `session`'s headers; false, leaving the decoder closed, when the library refuses them.
  bool Open(std::shared_ptr<const VorbisSession> session);
  // The library decoder as Open left it, to read the stream's properties.
  const VorbisSynthesis& Synthesis() const { return m_synthesis; }

  // Fills the chunk's pcm and blocks; damaged packets are skipped. Never throws.
  void Decode(VorbisChunk& chunk);

 private:
  // Takes the audio the last packet made, less what lies before the seek point.
  void Collect(VorbisChunk& chunk);

  VorbisSynthesis m_synthesis;
  std::shared_ptr<const VorbisSession> m_session;  // what m_synthesis is open for
};
