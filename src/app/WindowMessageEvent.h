#pragma once
// Posted window messages as Qt events: a message from WM_USER on travels as the event type of
// the same number, so a handler reads the number it knows; the platform's lower numbers (mixer
// notifications) share one registered type and keep their number inside. Posting is safe from
// any thread; the event is handled on the receiver's thread.

#include <QEvent>

#include "platform/ui/Window.h"

class QObject;

class WindowMessageEvent : public QEvent {
 public:
  WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam);

  UINT Message() const { return m_message; }
  WPARAM WParam() const { return m_wParam; }
  LPARAM LParam() const { return m_lParam; }

  // The event as a window message, or null when it is none.
  static const WindowMessageEvent* From(const QEvent* event);

 private:
  UINT m_message;
  WPARAM m_wParam;
  LPARAM m_lParam;
};

void PostWindowMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam);
