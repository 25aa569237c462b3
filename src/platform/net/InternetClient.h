#pragma once
// The internet client: HTTP requests through a root handle, a connection handle and a request
// handle, with the body written in pieces and the answer read in pieces. An interface, so that a
// caller can be run against a client that records or refuses calls.
//
// Threads: a handle is used by one thread at a time. The one exception is
// InternetCancelRequest, which any thread may call while the request handle is open; keeping it
// open until the other thread is done with it is the owner's business. The last-error calls
// report the calling thread's last failure.

#include <cstdint>
#include <memory>
#include <string>

using DWORD = uint32_t;
using INTERNET_PORT = uint16_t;

class InternetHandle;
using HINTERNET = InternetHandle*;

// Access: the proxy the user configured (the http_proxy family of environment variables).
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;
// Accepted for its meaning; this client keeps no cache at all.
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;

// Options. Timeouts are in milliseconds and pass from a handle to the handles opened under it;
// on the null handle they set the defaults for later root handles.
constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
constexpr DWORD INTERNET_OPTION_SEND_TIMEOUT = 5;
constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
// Process-wide (null handle only): whether the user works offline.
constexpr DWORD INTERNET_OPTION_CONNECTED_STATE = 50;
constexpr DWORD INTERNET_STATE_CONNECTED = 0x1;
constexpr DWORD INTERNET_STATE_DISCONNECTED_BY_USER = 0x10;

// InternetGetConnectedState flags.
constexpr DWORD INTERNET_CONNECTION_LAN = 0x2;
constexpr DWORD INTERNET_CONNECTION_PROXY = 0x4;

constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr DWORD ERROR_INTERNET_INVALID_OPERATION = 12016;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;

class InternetClient {
 public:
  virtual ~InternetClient() = default;

  // Null on failure; the reason is in the last error.
  virtual HINTERNET InternetOpen(const std::string& agent, DWORD accessType) = 0;
  // Sends nothing yet: the server is contacted when a request is sent.
  virtual HINTERNET InternetConnect(HINTERNET internet, const std::string& serverName, INTERNET_PORT port,
                                    DWORD service) = 0;
  // `objectName` is the path with its query; the default HTTP version, no referrer, no accept types.
  virtual HINTERNET HttpOpenRequest(HINTERNET connect, const std::string& verb, const std::string& objectName,
                                    DWORD flags) = 0;
  // Connects and starts the request, announcing a body of `bodyLengthBytes`.
  virtual bool HttpSendRequestEx(HINTERNET request, uint64_t bodyLengthBytes) = 0;
  // Sends the next piece of the body; blocks until it is handed on. Writing past the announced
  // length writes only what is left, so `bytesWritten` comes out short.
  virtual bool InternetWriteFile(HINTERNET request, const void* buffer, DWORD bytesToWrite, DWORD& bytesWritten) = 0;
  // Finishes the body and waits for the head of the server's answer. Any HTTP status succeeds;
  // the answer's body is what the reads return.
  virtual bool HttpEndRequest(HINTERNET request) = 0;
  // Up to `bytesToRead` bytes of the answer's body; 0 bytes read means the answer is complete.
  virtual bool InternetReadFile(HINTERNET request, void* buffer, DWORD bytesToRead, DWORD& bytesRead) = 0;
  // Frees the handle; a null handle fails.
  virtual bool InternetCloseHandle(HINTERNET handle) = 0;

  virtual bool InternetSetOption(HINTERNET handle, DWORD option, DWORD value) = 0;
  virtual bool InternetQueryOption(HINTERNET handle, DWORD option, DWORD& value) = 0;
  // True when the machine has a way out: a default network route or a configured proxy. Sends
  // nothing to find out.
  virtual bool InternetGetConnectedState(DWORD& flags) = 0;

  // Makes the request's current or next operation fail soon with
  // ERROR_INTERNET_OPERATION_CANCELLED. Any thread.
  virtual void InternetCancelRequest(HINTERNET request) = 0;

  // The calling thread's last failure: an ERROR_INTERNET_* code and a sentence saying why.
  virtual DWORD InternetGetLastError() = 0;
  virtual std::string InternetGetLastErrorText() = 0;
};

// The system's client, over libcurl; lives for the whole process.
InternetClient& SystemInternetClient();

// Owns one handle and closes it through its client.
struct InternetHandleCloser {
  InternetClient* client = nullptr;
  void operator()(HINTERNET handle) const { client->InternetCloseHandle(handle); }
};
using UniqueInternetHandle = std::unique_ptr<InternetHandle, InternetHandleCloser>;
