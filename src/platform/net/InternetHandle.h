#pragma once
// What a handle of the system's internet client stands for. Each handle copies what it needs
// from the handle it was opened under, so closing a parent first leaves its children working.

#include <memory>
#include <string>

#include "platform/net/HttpTransfer.h"

class InternetHandle {
 public:
  enum class Kind { Root, Connection, Request };

  explicit InternetHandle(Kind kind) : kind(kind) {}

  const Kind kind;
  std::string agent;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  HttpTimeouts timeouts;
  std::unique_ptr<HttpTransfer> transfer;  // requests only
};
