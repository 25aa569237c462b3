#pragma once
// A main window without pixels: the button states in memory and the posted messages in a
// MessageLoop, which the command line and tests drain. Post may come from any thread (the
// loop guards its queue); everything else from the owning thread.

#include <array>

#include "platform/ui/FrameWindow.h"
#include "platform/ui/MessageLoop.h"

class HeadlessFrame : public FrameWindow {
 public:
  HeadlessFrame();

  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  void EnableButton(FrameButton button, bool enabled) override;
  bool IsButtonEnabled(FrameButton button) const override;
  void UpdateWindow() override {}
  void UpdateAllViews(long) override {}

  MessageLoop& Loop() { return m_loop; }

 private:
  MessageLoop m_loop;
  std::array<bool, 5> m_enabled;  // indexed by FrameButton
};
