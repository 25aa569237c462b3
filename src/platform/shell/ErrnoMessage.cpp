#include "platform/shell/ErrnoMessage.h"

#include <cstring>

std::string ErrnoMessage(const char* action, const std::string& path, int err) {
  char buffer[256];
  // GNU strerror_r: returns the text, which may or may not live in buffer.
  const char* text = strerror_r(err, buffer, sizeof buffer);
  return std::string(action) + " " + path + ": " + text;
}
