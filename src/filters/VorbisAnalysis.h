#pragma once
// Owns one libvorbis encoder: info, comment, DSP state and block, opened together and cleared
// in reverse order. The library stays private to this file pair. Used by one thread at a time
// (the encoder filter serialises its callers).

#include <cstdint>
#include <memory>

#include "filters/VorbisFormat.h"

// A packet the library produced; the bytes stay valid until the next call on the encoder.
struct VorbisPacket {
  const uint8_t* data = nullptr;
  long bytes = 0;
  int64_t granulePosition = 0;
};

class VorbisAnalysis {
 public:
  VorbisAnalysis();
  ~VorbisAnalysis();
  VorbisAnalysis(const VorbisAnalysis&) = delete;
  VorbisAnalysis& operator=(const VorbisAnalysis&) = delete;

  // Quality mode or bitrate management as `format.fQuality` selects, with `format`'s channels
  // and rate. False, leaving nothing open, when the library refuses the settings.
  bool Open(const VORBISFORMAT& format);
  // Block, DSP state, comment, info; does nothing when closed.
  void Close();
  bool IsOpen() const;

  // The identification, comment and codebook headers.
  bool HeaderPackets(VorbisPacket (&headers)[3]);
  // Room for `frames` frames per channel.
  float** Buffer(int frames);
  // `frames` of the buffer hold audio; 0 marks the end of the input.
  void Wrote(int frames);
  // The next finished packet; false when the library needs more audio.
  bool NextPacket(VorbisPacket* packet);
  // The DSP state's current granule position.
  int64_t GranulePosition() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};
