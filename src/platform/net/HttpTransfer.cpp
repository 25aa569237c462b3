#include "platform/net/HttpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// Received but unread answer bytes beyond this pause the receiving side until a read makes room.
constexpr size_t kAnswerBufferLimitBytes = 64 * 1024;

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }
CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

void InitialiseLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DWORD CodeFor(CURLcode result) {
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_SEND_ERROR:
      return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return ERROR_INTERNET_INVALID_URL;
    default:
      return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

// A host name or address literal that can stand in a URL as it is.
bool IsPlainHost(const std::string& host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == ':';
  });
}

bool IsPlainPath(const std::string& path) {
  return !path.empty() && path.front() == '/' &&
         std::none_of(path.begin(), path.end(), [](unsigned char c) { return c <= ' ' || c == 0x7f; });
}

std::string UrlFor(const HttpTarget& target) {
  const bool literalV6 = target.host.find(':') != std::string::npos;
  const std::string host = literalV6 ? "[" + target.host + "]" : target.host;
  return "http://" + host + ":" + std::to_string(target.port) + target.path;
}

}  // namespace

HttpTransfer::HttpTransfer(HttpTarget target) : m_target(std::move(target)) {
  InitialiseLibraryOnce();
  m_easy = curl_easy_init();
  m_multi = curl_multi_init();
  m_url = UrlFor(m_target);
}

HttpTransfer::~HttpTransfer() {
  if (m_multi && m_easy && m_phase != Phase::Opened) curl_multi_remove_handle(Multi(m_multi), Easy(m_easy));
  if (m_easy) curl_easy_cleanup(Easy(m_easy));
  if (m_multi) curl_multi_cleanup(Multi(m_multi));
  curl_slist_free_all(static_cast<curl_slist*>(m_headers));
}

DWORD HttpTransfer::Begin(uint64_t bodyLengthBytes) {
  if (m_phase != Phase::Opened) return FailState();
  if (!m_easy || !m_multi) return Fail(ERROR_INTERNET_INTERNAL_ERROR, "Could not set up the transfer");
  if (!IsPlainHost(m_target.host) || !IsPlainPath(m_target.path)) {
    return Fail(ERROR_INTERNET_INVALID_URL, "The address " + m_url + " is not valid");
  }
  CURL* easy = Easy(m_easy);
  // What the client announces and nothing more: no accept types, no form encoding, and the
  // body goes out without first waiting for a "100 Continue".
  curl_slist* headers = nullptr;
  for (const char* line : {"Accept:", "Content-Type:", "Expect:"}) {
    curl_slist* more = curl_slist_append(headers, line);
    if (!more) {
      curl_slist_free_all(headers);
      return Fail(ERROR_INTERNET_INTERNAL_ERROR, "Could not set up the transfer");
    }
    headers = more;
  }
  m_headers = headers;
  curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_curlError);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, m_target.agent.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_target.timeouts.connect.count()));
  curl_easy_setopt(easy, CURLOPT_POST, 1L);
  if (m_target.verb != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, m_target.verb.c_str());
  curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLengthBytes));
  curl_easy_setopt(easy, CURLOPT_READFUNCTION, &HttpTransfer::SupplyBody);
  curl_easy_setopt(easy, CURLOPT_READDATA, this);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpTransfer::TakeAnswer);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpTransfer::TakeHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &HttpTransfer::Connected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
  if (curl_multi_add_handle(Multi(m_multi), easy) != CURLM_OK) {
    return Fail(ERROR_INTERNET_INTERNAL_ERROR, "Could not start the transfer");
  }
  m_phase = Phase::Sending;
  m_bodyLeft = bodyLengthBytes;
  return DriveUntil([this] { return m_connected; }, m_target.timeouts.connect);
}

DWORD HttpTransfer::Write(const uint8_t* data, size_t length, size_t& written) {
  written = 0;
  if (m_phase != Phase::Sending) return FailState();
  m_piece = data;
  m_pieceLength = static_cast<size_t>(std::min<uint64_t>(length, m_bodyLeft));
  m_pieceTaken = 0;
  ResumeIfPaused();
  const DWORD code = DriveUntil([this] { return m_pieceTaken == m_pieceLength; }, m_target.timeouts.send);
  written = m_pieceTaken;
  m_piece = nullptr;
  m_pieceLength = m_pieceTaken = 0;
  return code;
}

DWORD HttpTransfer::End() {
  if (m_phase != Phase::Sending) return FailState();
  if (m_bodyLeft != 0) {
    return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE,
                std::to_string(m_bodyLeft) + " bytes of the announced body were never written");
  }
  m_phase = Phase::Receiving;
  return DriveUntil([this] { return m_headDone; }, m_target.timeouts.receive);
}

DWORD HttpTransfer::Read(uint8_t* buffer, size_t length, size_t& read) {
  read = 0;
  if (m_phase != Phase::Receiving) return FailState();
  if (length == 0) return 0;
  // Bytes that arrived before a failure are handed out first; the failure comes with the read
  // after them.
  const DWORD code =
      DriveUntil([this] { return m_answerTaken < m_answer.size() || m_finished; }, m_target.timeouts.receive);
  if (code != 0) return code;
  if (m_answerTaken == m_answer.size()) return m_result == CURLE_OK ? 0 : TransferFailure();
  read = std::min(length, m_answer.size() - m_answerTaken);
  std::memcpy(buffer, m_answer.data() + m_answerTaken, read);
  m_answerTaken += read;
  if (m_answerTaken == m_answer.size()) {
    m_answer.clear();
    m_answerTaken = 0;
  }
  ResumeIfPaused();
  return 0;
}

void HttpTransfer::Cancel() {
  m_cancelled = true;
  if (m_multi) curl_multi_wakeup(Multi(m_multi));
}

size_t HttpTransfer::SupplyBody(char* buffer, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const size_t available = transfer->m_pieceLength - transfer->m_pieceTaken;
  if (available == 0) {
    if (transfer->m_bodyLeft == 0) return 0;
    transfer->m_paused = true;
    return CURL_READFUNC_PAUSE;
  }
  const size_t taken = std::min(size * count, available);
  std::memcpy(buffer, transfer->m_piece + transfer->m_pieceTaken, taken);
  transfer->m_pieceTaken += taken;
  transfer->m_bodyLeft -= taken;
  transfer->m_progress += taken;
  return taken;
}

size_t HttpTransfer::TakeAnswer(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  if (transfer->m_answer.size() - transfer->m_answerTaken >= kAnswerBufferLimitBytes) {
    transfer->m_paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  transfer->m_answer.append(data, size * count);
  transfer->m_progress += size * count;
  return size * count;
}

size_t HttpTransfer::TakeHeader(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const size_t length = size * count;
  transfer->m_progress += length;
  const bool blankLine = (length == 2 && data[0] == '\r' && data[1] == '\n') || (length == 1 && data[0] == '\n');
  if (blankLine) {
    long status = 0;
    curl_easy_getinfo(Easy(transfer->m_easy), CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200) transfer->m_headDone = true;
  }
  return length;
}

int HttpTransfer::Connected(void* self, char*, char*, int, int) {
  static_cast<HttpTransfer*>(self)->m_connected = true;
  return CURL_PREREQFUNC_OK;
}

DWORD HttpTransfer::Fail(DWORD code, std::string text) {
  m_errorText = std::move(text);
  return code;
}

DWORD HttpTransfer::FailState() {
  return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE, "The request is not at a stage where this can be done");
}

DWORD HttpTransfer::TransferFailure() {
  const auto result = static_cast<CURLcode>(m_result);
  return Fail(CodeFor(result), m_curlError[0] ? m_curlError : curl_easy_strerror(result));
}

void HttpTransfer::CollectFinish() {
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(Multi(m_multi), &queued)) {
    if (message->msg == CURLMSG_DONE) {
      m_finished = true;
      m_result = message->data.result;
    }
  }
}

void HttpTransfer::ResumeIfPaused() {
  if (!m_paused || m_finished) return;
  m_paused = false;
  curl_easy_pause(Easy(m_easy), CURLPAUSE_CONT);
}

DWORD HttpTransfer::DriveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  uint64_t seen = m_progress;
  Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if (m_cancelled) return Fail(ERROR_INTERNET_OPERATION_CANCELLED, "The transfer was cancelled");
    if (done()) return 0;
    if (m_finished) {
      if (m_result != CURLE_OK) return TransferFailure();
      return Fail(ERROR_INTERNET_CONNECTION_ABORTED, "The server ended the exchange early");
    }
    int running = 0;
    if (curl_multi_perform(Multi(m_multi), &running) != CURLM_OK) {
      return Fail(ERROR_INTERNET_INTERNAL_ERROR, "The transfer could not go on");
    }
    CollectFinish();
    if (done() || m_finished) continue;
    const Clock::time_point now = Clock::now();
    if (m_progress != seen) {
      seen = m_progress;
      deadline = now + timeout;
    }
    if (now >= deadline) return Fail(ERROR_INTERNET_TIMEOUT, "The server did not respond in time");
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    curl_multi_poll(Multi(m_multi), nullptr, 0, static_cast<int>(std::min<long long>(wait + 1, 1000)), nullptr);
  }
}
