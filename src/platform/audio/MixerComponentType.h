#pragma once
// The mixer component type an input's name stands for ("Mic" a microphone, "Line" a line
// input, "CD" a compact disc, "Aux" and "Analog" an analog input ...), from its words: ALSA
// control names and sound-server port names alike.

#include <cstdint>
#include <string>

uint32_t ComponentTypeFromName(const std::string& name);
