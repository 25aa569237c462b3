#pragma once
// Command identifiers of the toolbar and menu, carried by WM_COMMAND's wParam.

#include "platform/ui/Window.h"

constexpr UINT ID_RECORD = 1001;
constexpr UINT ID_PAUSE = 1002;
constexpr UINT ID_STOP = 1003;
constexpr UINT ID_SETTINGS = 1004;
constexpr UINT ID_PLAY = 1005;
constexpr UINT ID_HELP = 1006;
constexpr UINT ID_EXPORT_FORMATS = 1016;
constexpr UINT ID_GENERAL_SETTINGS = 1017;
constexpr UINT ID_AUDIO_HARDWARE = 1042;
constexpr UINT ID_FILE_OPEN = 32771;
// The framework's help command, which the Help button forwards to the main window.
constexpr UINT ID_HELP_FINDER = 57670;
