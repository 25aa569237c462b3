#pragma once
// The system's internet client over libcurl (see InternetClient.h for the contract). Only
// plain HTTP; no cookies, no cache, no redirects followed.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

#include "platform/net/HttpTransfer.h"
#include "platform/net/InternetClient.h"

class CurlInternetClient final : public InternetClient {
 public:
  HINTERNET InternetOpen(const std::string& agent, DWORD accessType) override;
  HINTERNET InternetConnect(HINTERNET internet, const std::string& serverName, INTERNET_PORT port,
                            DWORD service) override;
  HINTERNET HttpOpenRequest(HINTERNET connect, const std::string& verb, const std::string& objectName,
                            DWORD flags) override;
  bool HttpSendRequestEx(HINTERNET request, uint64_t bodyLengthBytes) override;
  bool InternetWriteFile(HINTERNET request, const void* buffer, DWORD bytesToWrite, DWORD& bytesWritten) override;
  bool HttpEndRequest(HINTERNET request) override;
  bool InternetReadFile(HINTERNET request, void* buffer, DWORD bytesToRead, DWORD& bytesRead) override;
  bool InternetCloseHandle(HINTERNET handle) override;
  bool InternetSetOption(HINTERNET handle, DWORD option, DWORD value) override;
  bool InternetQueryOption(HINTERNET handle, DWORD option, DWORD& value) override;
  bool InternetGetConnectedState(DWORD& flags) override;
  void InternetCancelRequest(HINTERNET request) override;
  DWORD InternetGetLastError() override;
  std::string InternetGetLastErrorText() override;

 private:
  // Runs `use` on the timeout `option` names, of the handle or (null handle) of the defaults
  // under m_mutex; an unknown option fails.
  bool AccessTimeout(HINTERNET handle, DWORD option, const std::function<bool(std::chrono::milliseconds&)>& use);
  // The request's transfer, or null with the last error set.
  HttpTransfer* TransferOf(HINTERNET request);

  std::atomic<DWORD> m_connectedState{INTERNET_STATE_CONNECTED};
  std::mutex m_mutex;
  HttpTimeouts m_defaultTimeouts;  // for root handles opened later; guarded by m_mutex
};
