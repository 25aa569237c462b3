#pragma once
// One HTTP request over libcurl, driven step by step by its caller: the body is pushed in
// pieces and the answer pulled in pieces, while libcurl itself works by callbacks. Each step
// runs libcurl's multi interface on the calling thread until the step is done, the transfer
// failed, the step's timeout passed without progress, or Cancel was called.
//
// Threads: one thread makes the steps; Cancel may come from any thread while the object lives.
// m_cancelled is the only member shared between them.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/net/InternetClient.h"

struct HttpTimeouts {
  std::chrono::milliseconds connect{30000};
  std::chrono::milliseconds send{30000};
  std::chrono::milliseconds receive{30000};
};

struct HttpTarget {
  std::string agent;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::string verb;
  std::string path;  // with its query
  HttpTimeouts timeouts;
};

// Each step returns 0 or an ERROR_INTERNET_* code, with the reason in ErrorText().
class HttpTransfer {
 public:
  explicit HttpTransfer(HttpTarget target);
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  // Connects (through the configured proxy, if any) and starts the request.
  DWORD Begin(uint64_t bodyLengthBytes);
  DWORD Write(const uint8_t* data, size_t length, size_t& written);
  // Waits for the head of the final answer (interim 1xx answers are skipped).
  DWORD End();
  DWORD Read(uint8_t* buffer, size_t length, size_t& read);
  void Cancel();

  const std::string& ErrorText() const { return m_errorText; }

 private:
  enum class Phase { Opened, Sending, Receiving };

  static size_t SupplyBody(char* buffer, size_t size, size_t count, void* self);
  static size_t TakeAnswer(char* data, size_t size, size_t count, void* self);
  static size_t TakeHeader(char* data, size_t size, size_t count, void* self);
  static int Connected(void* self, char*, char*, int, int);

  DWORD Fail(DWORD code, std::string text);
  DWORD FailState();
  // The finished transfer's libcurl failure, translated.
  DWORD TransferFailure();
  // Runs the transfer until `done` holds; the timeout restarts whenever bytes move.
  DWORD DriveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  void CollectFinish();
  void ResumeIfPaused();

  HttpTarget m_target;
  void* m_easy = nullptr;     // CURL*
  void* m_multi = nullptr;    // CURLM*
  void* m_headers = nullptr;  // curl_slist*
  std::string m_url;
  char m_curlError[256] = {};

  Phase m_phase = Phase::Opened;
  bool m_connected = false;
  bool m_headDone = false;
  bool m_finished = false;
  int m_result = 0;  // CURLcode once finished
  bool m_paused = false;
  uint64_t m_progress = 0;  // bytes moved either way; a step's timeout restarts when it changes

  uint64_t m_bodyLeft = 0;
  const uint8_t* m_piece = nullptr;
  size_t m_pieceLength = 0;
  size_t m_pieceTaken = 0;

  std::string m_answer;
  size_t m_answerTaken = 0;

  std::string m_errorText;
  std::atomic<bool> m_cancelled{false};
};
