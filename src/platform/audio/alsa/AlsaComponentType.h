#pragma once
// The mixer component type an ALSA control name stands for ("Mic" a microphone, "Line" a
// line input, "CD" a compact disc, "Aux" and "Analog" an analog input ...), from its words.

#include <cstdint>
#include <string>

uint32_t AlsaComponentType(const std::string& controlName);
