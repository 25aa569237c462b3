#include "update/UrlPost.h"

#include <algorithm>
#include <new>
#include <utility>

#include "update/InetError.h"

namespace {

constexpr const char* kAgent = "Mozilla";
// Reads ask for one byte less than the buffer holds, so each piece can be ended as text.
constexpr size_t kReadBufferBytes = 512;

}  // namespace

UrlPost::UrlPost(InternetClient& client) : m_client(client) {}

UrlPost::~UrlPost() { CloseHandles(); }

void UrlPost::Prepare(const std::string& host, INTERNET_PORT port, const std::string& path, std::vector<uint8_t> body,
                      size_t chunkSizeBytes, HWND notifyWindow, WPARAM notifyParameter) {
  CloseHandles();
  m_cancelled = false;
  m_body = std::move(body);
  m_chunkSizeBytes = chunkSizeBytes;
  m_notifyWindow = notifyWindow;
  m_notifyParameter = notifyParameter;
  m_response.clear();
  m_error.clear();
  m_errorDetail.clear();
  try {
    std::lock_guard lock(m_mutex);
    m_root = UniqueInternetHandle(m_client.InternetOpen(kAgent, INTERNET_OPEN_TYPE_PRECONFIG), {&m_client});
    if (!m_root) throw inet_error("Could not open connection");
    m_connection =
        UniqueInternetHandle(m_client.InternetConnect(m_root.get(), host, port, INTERNET_SERVICE_HTTP), {&m_client});
    if (!m_connection) throw inet_error("Failed to connect");
    m_request = UniqueInternetHandle(
        m_client.HttpOpenRequest(m_connection.get(), "POST", path, INTERNET_FLAG_NO_CACHE_WRITE), {&m_client});
    if (!m_request) throw inet_error("Failed to open request");
  } catch (const inet_error& error) {
    Fail(error);
  }
}

void UrlPost::Send() {
  if (!m_request) return;
  try {
    HINTERNET request = m_request.get();
    if (!m_client.HttpSendRequestEx(request, m_body.size())) throw inet_error("Error on HttpSendRequestEx\n");
    const size_t chunk = m_chunkSizeBytes == 0 ? m_body.size() : m_chunkSizeBytes;
    size_t offset = 0;
    // An empty body still goes out as one write of no bytes.
    do {
      const size_t piece = std::min(chunk, m_body.size() - offset);
      DWORD written = 0;
      if (!m_client.InternetWriteFile(request, m_body.data() + offset, static_cast<DWORD>(piece), written)) {
        throw inet_error("InternetWriteFile error");
      }
      if (written != piece) throw inet_error("Less bytes written than requested");
      offset += piece;
    } while (offset < m_body.size());
    if (!m_client.HttpEndRequest(request)) throw inet_error("HttpEndRequest error");
    char buffer[kReadBufferBytes];
    for (;;) {
      DWORD read = 0;
      if (!m_client.InternetReadFile(request, buffer, kReadBufferBytes - 1, read)) {
        throw inet_error("InternetReadFile failed!");
      }
      if (read == 0) break;
      // Each piece counts as text up to its first zero byte.
      buffer[read] = '\0';
      m_response += buffer;
    }
  } catch (const inet_error& error) {
    Fail(error);
  } catch (const std::bad_alloc& error) {
    Fail(error);
  }
}

void UrlPost::Cancel() {
  std::lock_guard lock(m_mutex);
  m_cancelled = true;
  if (m_request) m_client.InternetCancelRequest(m_request.get());
}

bool UrlPost::HandlesOpen() const {
  std::lock_guard lock(m_mutex);
  return m_root || m_connection || m_request;
}

void UrlPost::Fail(const std::exception& error) {
  m_error = error.what();
  m_errorDetail = m_client.InternetGetLastErrorText();
  CloseHandles();
}

void UrlPost::CloseHandles() {
  std::lock_guard lock(m_mutex);
  m_request.reset();
  m_connection.reset();
  m_root.reset();
}
