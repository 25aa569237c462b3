#pragma once
// Copies the raw MPEG audio out of a WAV-wrapped MP3 recording into the final ".mp3" file.
// Runs on the user-interface thread: it may show a message box.

#include <string>

class CWavMpegExtractor {
 public:
  CWavMpegExtractor(std::string sourcePath, std::string destinationPath);

  // Creates (or truncates) the destination and copies into it every byte of the source that
  // follows the first "data" tag's size field, to the end of the file. False, after an error
  // message box naming the file, when a file cannot be opened, read or written; false without
  // a message when the source is not a RIFF/WAVE file with an MPEG format record (tag 0x50 or
  // 0x55) and a complete "data" chunk header. The destination then stays empty.
  bool Extract();

  // The same on files already open: the source is read by position from its start, the
  // payload is written at the destination's current position. The names are for messages.
  static bool ExtractPayload(int sourceFd, const std::string& sourceName, int destinationFd,
                             const std::string& destinationName);

 private:
  std::string m_sourcePath;
  std::string m_destinationPath;
};
