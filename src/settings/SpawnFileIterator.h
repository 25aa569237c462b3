#pragma once

// The numbered recordings of one output template in its folder: files named base name, an
// optional three-character number, and the extension (matched without regard to case), e.g.
// "vantroaudio.wma", "vantroaudio001.wma", "vantroaudio007.WMA" for base "vantroaudio" and ".wma".

#include <string>

#include "settings/FileIterator.h"

class CSpawnFileIterator : public CFileIterator {
 public:
  // extension includes its dot; it may be empty (a template without extension).
  CSpawnFileIterator(std::string folder, std::string baseName, std::string extension);

  // The number an accepted name carries: the three characters before the extension read as
  // the shell's StrToInt does (leading digits, optional sign; 0 when none); 0 for the bare name.
  int NumberOf(const std::string& acceptedName) const;

 protected:
  bool Accept(const DirectoryEntry& entry) override;

 private:
  std::string m_baseName;
  std::string m_extension;
};
