#pragma once
// Makes a recording that was cut off (the process killed, the disk full, the device lost) a
// complete, playable file of its export format, keeping everything that reached the file:
//   WAV (PCM or compressed): the sizes in the header from the file's length, the data cut to
//     whole blocks;
//   MP3: the MPEG frames taken out of the WAV wrapping, a frame cut off at the end dropped;
//   Ogg Vorbis: the file cut after its last complete page, a packet left unfinished on that
//     page dropped, the page marked as the end of the stream with its checksum made good;
//   WMA: the ASF packets copied into a complete ASF file.
// Self-contained; one call per file at a time. On the user-interface thread for MP3, whose
// extraction reports a failing read or write in a message box; any thread for the others.

#include <string>

struct RepairedRecording {
  // The playable file: the recording itself, mended in place (WAV, Ogg), or a new file beside
  // it, the recording's name + ".mp3" or + ".wma", replacing a file of that name (MP3, WMA).
  // A new file belongs to the caller; the recording is then left as it was.
  std::string file;
  double seconds = 0;  // its length, by its format's check
};

// `format` is the export format code (200 WMA, 201 MP3, 202 Ogg, 203 WAV). True with
// *repaired filled in when the result passed its format's check (a WAV file with no audio in
// it passes with 0 seconds); false with a sentence in *problem when nothing playable could be
// made: no new file is left, and the recording is as it was or at most mended as above.
bool RepairRecording(const std::string& recording, int format, RepairedRecording* repaired, std::string* problem);
