#pragma once
// What the program says about itself.

inline constexpr const char* kProductName = "Vantro Audio Recorder";
inline constexpr const char* kProductVersion = CORVOX_PRODUCT_VERSION;
inline constexpr const char* kProductWebsite = "https://www.vantrosolutions.com/audio-recorder/";
