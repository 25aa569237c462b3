#pragma once
// The libvorbis state an encoder or a decoder holds: info, comment, DSP state and block,
// cleared together in the library's order. Included only by this folder's .cpp files, so the
// library stays private to the filters.

#include <vorbis/codec.h>

struct VorbisCodecState {
  vorbis_info info{};
  vorbis_comment comment{};
  vorbis_dsp_state dsp{};
  vorbis_block block{};
  bool open = false;  // all four initialised

  // Block, DSP state, comment, info; does nothing when not open.
  void Clear();
};
