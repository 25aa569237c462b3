#include "mixer/AudioHardwareCheck.h"

#include "mixer/AudioMixer.h"

bool AudioHardwarePresent(AudioMixer& mixer) { return mixer.GetDeviceCount() >= 1; }
