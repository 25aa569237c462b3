#pragma once
// What the program says about itself; its version is the update check's ProductVersion().

inline constexpr const char* kProductName = "Vantro Audio Recorder";
inline constexpr const char* kProductWebsite = "https://www.vantrosolutions.com/audio-recorder/";
// Where users report faults the program cannot get past.
inline constexpr const char* kSupportAddress = "support@vantrosolutions.com";
