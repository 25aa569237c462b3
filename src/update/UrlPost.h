#pragma once
// An HTTP POST of a block of bytes, written in fixed-size pieces, whose answer is gathered as
// text. Failures are raised as inet_error inside and caught here: the handles are closed, the
// reason is kept in Error(), and whatever answer had arrived stays in Response().
//
// Threads: the user-interface thread calls Prepare before the worker thread starts and reads
// Response after the worker has finished; the worker thread calls Send. Cancel may be called
// from any thread at any time. m_mutex guards the three handles against closing while Cancel
// uses the request handle; only the worker (or, outside a transfer, the owner) closes them.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net/InternetClient.h"
#include "platform/ui/Window.h"

class UrlPost {
 public:
  explicit UrlPost(InternetClient& client = SystemInternetClient());
  // Closes the request, connection and root handles, in that order.
  ~UrlPost();
  UrlPost(const UrlPost&) = delete;
  UrlPost& operator=(const UrlPost&) = delete;

  // Opens the three handles for a POST of `body` to http://host:port/path, to be written
  // `chunkSizeBytes` at a time (0: all at once), and empties the response.
  void Prepare(const std::string& host, INTERNET_PORT port, const std::string& path, std::vector<uint8_t> body,
               size_t chunkSizeBytes, HWND notifyWindow, WPARAM notifyParameter);
  // Sends the body and reads the whole answer. Does nothing when Prepare failed.
  void Send();
  // Makes a running or later Send end soon, failing.
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

  const std::string& Response() const { return m_response; }
  // The inet_error text of the failure, empty when there was none, and the client's reason.
  const std::string& Error() const { return m_error; }
  const std::string& ErrorDetail() const { return m_errorDetail; }
  bool HandlesOpen() const;

  HWND NotifyWindow() const { return m_notifyWindow; }
  WPARAM NotifyParameter() const { return m_notifyParameter; }

 private:
  void Fail(const std::exception& error);
  void CloseHandles();

  InternetClient& m_client;
  mutable std::mutex m_mutex;
  // Declared root first, so that destruction closes request, connection, root.
  UniqueInternetHandle m_root;        // guarded by m_mutex
  UniqueInternetHandle m_connection;  // guarded by m_mutex
  UniqueInternetHandle m_request;     // guarded by m_mutex
  std::atomic<bool> m_cancelled{false};

  std::vector<uint8_t> m_body;
  size_t m_chunkSizeBytes = 0;
  HWND m_notifyWindow = nullptr;
  WPARAM m_notifyParameter = 0;

  std::string m_response;
  std::string m_error;
  std::string m_errorDetail;
};
