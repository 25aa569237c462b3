#pragma once
// A window for a mixer's notifications: messages posted to it from the audio backend's thread
// are handed to `handler` on the user-interface thread. Messages still queued when it is
// destroyed are dropped.

#include <QObject>
#include <functional>

#include "platform/ui/Window.h"

class MixerNotifyTarget : public QObject, public MessageTarget {
 public:
  using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit MixerNotifyTarget(Handler handler) : m_handler(std::move(handler)) {}

  // Any thread.
  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool event(QEvent* event) override;

 private:
  const Handler m_handler;
};
