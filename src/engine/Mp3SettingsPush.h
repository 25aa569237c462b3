#pragma once
// Hands the user's "MP3 Configuration" to the MP3 encoder of the MP3 recording chain.
// Runs on the user-interface thread while the graph is stopped.

#include "filters/MP3AudioEncProperties.h"
#include "settings/Mp3Configuration.h"

// Sets bitrate, copyright, CRC, original, encoding quality, output rate, VBR switch, VBR
// maximum, VBR minimum, VBR quality and channel mode (3 for one channel, else 0), in that
// order. The setters' results ORed; E_POINTER without an encoder.
HRESULT PushMp3Settings(IMP3AudioEncProperties* encoder, const Mp3Configuration& configuration);
