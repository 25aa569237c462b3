#pragma once
// Chapter times as Ogg comments give them ("CHAPTER01=00:01:30.500") and as stream selection
// shows them. Self-contained; any thread.

#include <string>

#include "platform/media/MediaSample.h"

// [[hours:]minutes:]seconds[.fraction] in REFERENCE_TIME; 0 for text it cannot read.
REFERENCE_TIME ParseChapterTime(const std::string& text);

// "hh:mm:ss.mmm name".
std::string ChapterDisplayName(REFERENCE_TIME start, const std::string& name);
