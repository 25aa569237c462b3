#pragma once
// The recorder's private window messages, fixed numbers above WM_USER (1024). Where a message
// carries a time, wParam is the address of a double of seconds owned by the main window.

#include "platform/ui/Window.h"

constexpr UINT WM_WAVEFORM_LOADED = 1624;
constexpr UINT WM_SELECTION_CHANGED = 1625;
constexpr UINT WM_PLAYER_GRAPH_EVENT = 1631;
constexpr UINT WM_RECORDER_GRAPH_EVENT = 1632;
constexpr UINT WM_READER_GRAPH_EVENT = 1633;
constexpr UINT WM_READING_STARTED = 1634;
constexpr UINT WM_RECORD_PROGRESS = 1637;
constexpr UINT WM_STATUS_READY = 1638;
constexpr UINT WM_RECORDER_PAUSED = 1639;
constexpr UINT WM_DEVICE_CHOSEN = 1641;
constexpr UINT WM_APPLY_TOOLTIPS = 1642;
constexpr UINT WM_PLAY_PROGRESS = 1643;
constexpr UINT WM_PLAYER_STOPPED = 1644;
constexpr UINT WM_PLAYER_PAUSED = 1645;
// document -> main window: loading a file failed (the reader could not run or aborted, or
// the dump could not be read); the main window shows its load-failure status.
constexpr UINT WM_LOAD_FAILED = 1646;
