#include "mixer/ui/MixerNotifyTarget.h"

#include "app/WindowMessageEvent.h"

void MixerNotifyTarget::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  PostWindowMessage(this, message, wParam, lParam);
}

bool MixerNotifyTarget::event(QEvent* event) {
  const WindowMessageEvent* message = WindowMessageEvent::From(event);
  if (message == nullptr) return QObject::event(event);
  m_handler(message->Message(), message->WParam(), message->LParam());
  return true;
}
