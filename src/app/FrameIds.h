#pragma once
// Numbers of the main window's own commands and timers; the commands the document
// carries out are in engine/CommandIds.h.

inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_HELP_TOPICS = 57667;

inline constexpr int kReadingBlinkTimer = 1001;
inline constexpr int kStatusClearTimer = 1002;
inline constexpr int kRecordingTimer = 1003;
inline constexpr int kPlaybackTimer = 1004;
inline constexpr int kUpdateCheckTimer = 1005;
