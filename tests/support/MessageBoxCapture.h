#pragma once
// Collects the message boxes shown while it lives, instead of showing them.

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/MessageBox.h"

class MessageBoxCapture {
 public:
  struct Box {
    std::string text;
    UINT flags;
  };

  MessageBoxCapture()
      : m_previous(SetMessageBoxHandler([this](HWND, const std::string& text, UINT flags) {
          m_boxes.push_back({text, flags});
          return IDOK;
        })) {}
  ~MessageBoxCapture() { SetMessageBoxHandler(std::move(m_previous)); }
  MessageBoxCapture(const MessageBoxCapture&) = delete;
  MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

  const std::vector<Box>& Boxes() const { return m_boxes; }

 private:
  std::vector<Box> m_boxes;
  MessageBoxHandler m_previous;
};
