#pragma once
// The MP3 encoder's output format record, built from its settings and its PCM input.

#include "filters/Mp3EncoderSettings.h"
#include "platform/media/Mpeg1WaveFormat.h"

MPEG1WAVEFORMAT MakeMpegFormatRecord(const Mp3EncoderSettings& settings, const WAVEFORMATEX& input);
