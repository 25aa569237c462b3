#pragma once
// The program's own pictures, drawn rather than loaded: the six toolbar images in a normal and
// a disabled variant, the speaker beside the volume slider and the application icon. Drawing
// needs no display, so the installed icon files are made by the same code.

#include <QIcon>
#include <QImage>

enum class ToolbarImage { Record, Play, Pause, Stop, Settings, Help };

inline constexpr int kToolbarImageSize = 32;

// A 32 x 32 toolbar picture on a transparent background.
QImage ToolbarImageOf(ToolbarImage image, bool disabled);
// Both variants, the disabled one for QIcon::Disabled.
QIcon ToolbarIcon(ToolbarImage image);
QImage SpeakerImage(int size);
QImage ApplicationIconImage(int size);
QIcon ApplicationIcon();
