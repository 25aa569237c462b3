#include "app/WindowMessageEvent.h"

#include <QCoreApplication>

namespace {

QEvent::Type LowMessageType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type TypeFor(UINT message) {
  return message >= WM_USER && message <= QEvent::MaxUser ? static_cast<QEvent::Type>(message) : LowMessageType();
}

}  // namespace

WindowMessageEvent::WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
    : QEvent(TypeFor(message)), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

const WindowMessageEvent* WindowMessageEvent::From(const QEvent* event) {
  return event->type() >= QEvent::User ? dynamic_cast<const WindowMessageEvent*>(event) : nullptr;
}

void PostWindowMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam) {
  QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
}
