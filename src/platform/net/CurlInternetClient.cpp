#include "platform/net/CurlInternetClient.h"

#include <new>
#include <string>

#include "platform/net/ConnectedState.h"
#include "platform/net/InternetHandle.h"

namespace {

thread_local DWORD t_lastError = 0;
thread_local std::string t_lastErrorText;

bool Fail(DWORD code, std::string text) {
  t_lastError = code;
  t_lastErrorText = std::move(text);
  return false;
}

HINTERNET FailHandle(DWORD code, std::string text) {
  Fail(code, std::move(text));
  return nullptr;
}

bool WrongHandle(HINTERNET handle) {
  return Fail(handle ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_INTERNET_INVALID_OPERATION,
              handle ? "The handle is of the wrong kind for this call" : "No handle was given");
}

bool Result(HttpTransfer& transfer, DWORD code) { return code == 0 || Fail(code, transfer.ErrorText()); }

std::chrono::milliseconds* TimeoutFor(HttpTimeouts& timeouts, DWORD option) {
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
      return &timeouts.connect;
    case INTERNET_OPTION_SEND_TIMEOUT:
      return &timeouts.send;
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
      return &timeouts.receive;
    default:
      return nullptr;
  }
}

}  // namespace

InternetClient& SystemInternetClient() {
  static CurlInternetClient client;
  return client;
}

HINTERNET CurlInternetClient::InternetOpen(const std::string& agent, DWORD accessType) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG) {
    return FailHandle(ERROR_INTERNET_INVALID_OPERATION, "Only the configured way of access is supported");
  }
  auto* root = new (std::nothrow) InternetHandle(InternetHandle::Kind::Root);
  if (!root) return FailHandle(ERROR_INTERNET_INTERNAL_ERROR, "Out of memory");
  root->agent = agent;
  std::lock_guard lock(m_mutex);
  root->timeouts = m_defaultTimeouts;
  return root;
}

HINTERNET CurlInternetClient::InternetConnect(HINTERNET internet, const std::string& serverName, INTERNET_PORT port,
                                              DWORD service) {
  if (!internet || internet->kind != InternetHandle::Kind::Root) {
    WrongHandle(internet);
    return nullptr;
  }
  if (service != INTERNET_SERVICE_HTTP) return FailHandle(ERROR_INTERNET_INVALID_OPERATION, "Only HTTP is supported");
  if (serverName.empty()) return FailHandle(ERROR_INTERNET_INVALID_URL, "No server name was given");
  auto* connection = new (std::nothrow) InternetHandle(InternetHandle::Kind::Connection);
  if (!connection) return FailHandle(ERROR_INTERNET_INTERNAL_ERROR, "Out of memory");
  connection->agent = internet->agent;
  connection->timeouts = internet->timeouts;
  connection->host = serverName;
  connection->port = port;
  return connection;
}

HINTERNET CurlInternetClient::HttpOpenRequest(HINTERNET connect, const std::string& verb, const std::string& objectName,
                                              DWORD) {
  if (!connect || connect->kind != InternetHandle::Kind::Connection) {
    WrongHandle(connect);
    return nullptr;
  }
  auto* request = new (std::nothrow) InternetHandle(InternetHandle::Kind::Request);
  if (!request) return FailHandle(ERROR_INTERNET_INTERNAL_ERROR, "Out of memory");
  request->timeouts = connect->timeouts;
  request->transfer.reset(new (std::nothrow) HttpTransfer(
      {connect->agent, connect->host, connect->port, verb.empty() ? "GET" : verb, objectName, connect->timeouts}));
  if (!request->transfer) {
    delete request;
    return FailHandle(ERROR_INTERNET_INTERNAL_ERROR, "Out of memory");
  }
  return request;
}

bool CurlInternetClient::HttpSendRequestEx(HINTERNET request, uint64_t bodyLengthBytes) {
  HttpTransfer* transfer = TransferOf(request);
  return transfer && Result(*transfer, transfer->Begin(bodyLengthBytes));
}

bool CurlInternetClient::InternetWriteFile(HINTERNET request, const void* buffer, DWORD bytesToWrite,
                                           DWORD& bytesWritten) {
  bytesWritten = 0;
  HttpTransfer* transfer = TransferOf(request);
  if (!transfer) return false;
  if (!buffer && bytesToWrite > 0) return Fail(ERROR_INTERNET_INVALID_OPERATION, "No buffer was given");
  size_t written = 0;
  const DWORD code = transfer->Write(static_cast<const uint8_t*>(buffer), bytesToWrite, written);
  bytesWritten = static_cast<DWORD>(written);
  return Result(*transfer, code);
}

bool CurlInternetClient::HttpEndRequest(HINTERNET request) {
  HttpTransfer* transfer = TransferOf(request);
  return transfer && Result(*transfer, transfer->End());
}

bool CurlInternetClient::InternetReadFile(HINTERNET request, void* buffer, DWORD bytesToRead, DWORD& bytesRead) {
  bytesRead = 0;
  HttpTransfer* transfer = TransferOf(request);
  if (!transfer) return false;
  if (!buffer && bytesToRead > 0) return Fail(ERROR_INTERNET_INVALID_OPERATION, "No buffer was given");
  size_t read = 0;
  const DWORD code = transfer->Read(static_cast<uint8_t*>(buffer), bytesToRead, read);
  bytesRead = static_cast<DWORD>(read);
  return Result(*transfer, code);
}

bool CurlInternetClient::InternetCloseHandle(HINTERNET handle) {
  if (!handle) return WrongHandle(handle);
  delete handle;
  return true;
}

bool CurlInternetClient::InternetSetOption(HINTERNET handle, DWORD option, DWORD value) {
  if (option == INTERNET_OPTION_CONNECTED_STATE) {
    if (handle) return WrongHandle(handle);
    if (value != INTERNET_STATE_CONNECTED && value != INTERNET_STATE_DISCONNECTED_BY_USER) {
      return Fail(ERROR_INTERNET_INVALID_OPERATION, "Unknown connected state");
    }
    m_connectedState = value;
    return true;
  }
  return AccessTimeout(handle, option, [&](std::chrono::milliseconds& timeout) {
    if (handle && handle->transfer)
      return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, "Set timeouts before the request");
    timeout = std::chrono::milliseconds(value);
    return true;
  });
}

bool CurlInternetClient::InternetQueryOption(HINTERNET handle, DWORD option, DWORD& value) {
  if (option == INTERNET_OPTION_CONNECTED_STATE) {
    if (handle) return WrongHandle(handle);
    value = m_connectedState;
    return true;
  }
  return AccessTimeout(handle, option, [&](std::chrono::milliseconds& timeout) {
    value = static_cast<DWORD>(timeout.count());
    return true;
  });
}

bool CurlInternetClient::InternetGetConnectedState(DWORD& flags) {
  flags = 0;
  if (SystemHasDefaultRoute()) flags |= INTERNET_CONNECTION_LAN;
  if (ProxyConfigured()) flags |= INTERNET_CONNECTION_PROXY;
  return flags != 0;
}

void CurlInternetClient::InternetCancelRequest(HINTERNET request) {
  if (request && request->transfer) request->transfer->Cancel();
}

DWORD CurlInternetClient::InternetGetLastError() { return t_lastError; }

std::string CurlInternetClient::InternetGetLastErrorText() { return t_lastErrorText; }

bool CurlInternetClient::AccessTimeout(HINTERNET handle, DWORD option,
                                       const std::function<bool(std::chrono::milliseconds&)>& use) {
  std::unique_lock lock(m_mutex, std::defer_lock);
  if (!handle) lock.lock();
  std::chrono::milliseconds* timeout = TimeoutFor(handle ? handle->timeouts : m_defaultTimeouts, option);
  return timeout ? use(*timeout) : Fail(ERROR_INTERNET_INVALID_OPTION, "Unknown option");
}

HttpTransfer* CurlInternetClient::TransferOf(HINTERNET request) {
  if (!request || !request->transfer) {
    WrongHandle(request);
    return nullptr;
  }
  return request->transfer.get();
}
