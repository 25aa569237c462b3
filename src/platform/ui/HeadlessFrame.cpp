#include "platform/ui/HeadlessFrame.h"

// The main window's initial states: Record and Settings on, the rest off.
HeadlessFrame::HeadlessFrame() : m_enabled{true, false, false, false, true} {}

void HeadlessFrame::Post(UINT message, WPARAM wParam, LPARAM lParam) { m_loop.Post(message, wParam, lParam); }

void HeadlessFrame::EnableButton(FrameButton button, bool enabled) { m_enabled[static_cast<size_t>(button)] = enabled; }

bool HeadlessFrame::IsButtonEnabled(FrameButton button) const { return m_enabled[static_cast<size_t>(button)]; }
