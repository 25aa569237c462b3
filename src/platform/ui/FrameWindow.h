#pragma once
// The main window as the document sees it: a window that takes posted messages and keeps the
// enable state of the transport buttons, which only the document sets. The Qt shell's main
// window implements it; HeadlessFrame stands in for it in the command line and in tests.
// Called on the user-interface thread only, except Post (any thread, see MessageTarget).

#include "platform/ui/Window.h"

enum class FrameButton { Record, Play, Pause, Stop, Settings };

class FrameWindow : public MessageTarget {
 public:
  virtual void EnableButton(FrameButton button, bool enabled) = 0;
  virtual bool IsButtonEnabled(FrameButton button) const = 0;
  // Repaints at once what is waiting to be painted, before a long operation starts.
  virtual void UpdateWindow() = 0;
  // Tells every view of the document to lay itself out again; `hint` says what changed.
  virtual void UpdateAllViews(long hint) = 0;
};
