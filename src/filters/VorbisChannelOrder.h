#pragma once
// Channel order between the platform and Vorbis. Only 5.1 differs: the platform carries front
// left, front right, centre, LFE, rear left, rear right; Vorbis carries front left, centre,
// front right, rear left, rear right, LFE. Other channel counts keep their order.

#include <vector>

// For each platform channel k, the Vorbis channel it becomes.
std::vector<int> PlatformToVorbisChannels(int channels);
// For each Vorbis channel j, the platform channel it becomes.
std::vector<int> VorbisToPlatformChannels(int channels);
