#include "cli/BackendNotice.h"

std::string BackendLine(const std::string& backendName) { return "audio backend: " + backendName; }

std::string BackendNotice(const std::string& requested, const std::string& backendName, bool hasCaptureDevices) {
  if (backendName == "virtual" && requested != "virtual")
    return "corvox: no sound server answers and no sound card was found; using the virtual audio device (a test "
           "tone, or the WAV file named by CORVOX_VIRTUAL_INPUT).";
  if (requested == "pulse" && backendName != "pulse")
    return "corvox: no sound server (PulseAudio or PipeWire) answers; using " + backendName + ".";
  if (!hasCaptureDevices)
    return "corvox: the " + backendName + " backend finds no " +
           (backendName == "pulse" ? "source that can record." : "sound card that can record.");
  return {};
}
