#pragma once
// Whether a finished recording is a valid file of its export format, read with that format's
// own reader. Self-contained; any thread.

#include <string>

// A WMA recording is valid when it reads as ASF with an audio stream; a WAV recording when
// its header describes exactly the audio the file holds; an MP3 recording when it is MPEG
// audio frames from its first byte to its last; an Ogg recording when its Vorbis stream is
// whole from its first page to its last. True with the recording's length in seconds; false
// with a sentence saying what is wrong.
bool CheckRecording(const std::string& path, int format, double* seconds, std::string* problem);
