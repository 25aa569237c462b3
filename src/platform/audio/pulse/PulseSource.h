#pragma once
// What the recorder needs to know of one of the sound server's sources (an input, or the
// monitor of an output), copied out of the server's answer.

#include <cstdint>
#include <string>
#include <vector>

struct PulsePort {
  std::string name;         // what the server calls it ("analog-input-mic")
  std::string description;  // what users read ("Microphone")
  uint32_t type = 0;        // pa_device_port_type
};

struct PulseSource {
  uint32_t index = 0;
  std::string name;
  std::string description;
  bool monitor = false;  // listens to an output
  std::vector<PulsePort> ports;
  std::string activePort;  // empty when the source has no ports
  uint8_t channels = 0;
  uint32_t volume = 0;  // of the first channel, in the server's units (PA_VOLUME_NORM is 100 %)
};
