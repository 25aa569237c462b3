#pragma once
// The system's client with a recorder in front: it notes the size of every write and read,
// counts the handles that are open, can fail any one call, and can claim the machine is offline.

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/net/CurlInternetClient.h"

class RecordingInternetClient : public InternetClient {
 public:
  enum class Call { None, Open, Connect, OpenRequest, SendRequest, Write, ShortWrite, EndRequest, Read };

  // The first call of this kind fails (ShortWrite: the first write of some bytes hands on one
  // byte less; Read: the second read, so part of the answer has arrived).
  Call failing = Call::None;
  bool offline = false;

  std::vector<DWORD> Writes() const;
  std::vector<DWORD> ReadSizes() const;
  int OpenHandles() const { return m_openHandles; }

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
  bool Fails(Call call);
  HINTERNET Opened(HINTERNET handle);

  CurlInternetClient m_real;
  mutable std::mutex m_mutex;
  std::vector<DWORD> m_writes;     // guarded by m_mutex
  std::vector<DWORD> m_readSizes;  // guarded by m_mutex
  std::atomic<int> m_openHandles{0};
  bool m_failed = false;  // the injected failure has happened (worker thread only)
};
