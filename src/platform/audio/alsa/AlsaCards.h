#pragma once
// The system's ALSA sound cards that can record, in card order, with the device names the
// backend opens: position N is both capture device N and mixer N.

#include <string>
#include <vector>

struct AlsaCard {
  std::string id;          // ALSA's short card id, e.g. "PCH"
  std::string name;        // e.g. "HDA Intel PCH"
  std::string longName;    // e.g. "HDA Intel PCH at 0xf7f10000 irq 32"
  std::string capturePcm;  // opened for recording, with ALSA's format conversion
  std::string probePcm;    // the hardware itself, probed for what it can do
  std::string mixer;       // the card's control device
};

// Empty on a machine without sound cards.
std::vector<AlsaCard> ListAlsaCards();
