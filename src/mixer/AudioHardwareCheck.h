#pragma once
// The start-up check both faces make: without a mixer device there is no usable audio
// hardware, and the recorder does not run.

class AudioMixer;

inline constexpr const char* kNoAudioHardwareMessage =
    "Vantro Audio Recorder could not find a functional audio hardware in your system.\nThe application can not "
    "continue.";

// Whether the audio system offers at least one mixer device.
bool AudioHardwarePresent(AudioMixer& mixer);
