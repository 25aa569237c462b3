#include "filters/VorbisCodecState.h"

void VorbisCodecState::Clear() {
  if (!open) return;
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  open = false;
}
