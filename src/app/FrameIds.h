#pragma once
// Numbers of the main window's own commands, controls and timers; the commands the document
// carries out are in engine/CommandIds.h.

inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_HELP_TOPICS = 57667;

inline constexpr int IDC_VOLUME = 1000;
inline constexpr int IDC_STATUS_TEXT = 1007;
inline constexpr int IDC_FILE_NAME = 1008;
inline constexpr int IDC_DURATION = 1009;
inline constexpr int IDC_SELECTION = 1011;
inline constexpr int IDC_SPEAKER = 1064;

inline constexpr int kReadingBlinkTimer = 1001;
inline constexpr int kStatusClearTimer = 1002;
inline constexpr int kRecordingTimer = 1003;
inline constexpr int kPlaybackTimer = 1004;
inline constexpr int kUpdateCheckTimer = 1005;
