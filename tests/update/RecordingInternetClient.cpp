#include "update/RecordingInternetClient.h"

std::vector<DWORD> RecordingInternetClient::Writes() const {
  std::lock_guard lock(m_mutex);
  return m_writes;
}

std::vector<DWORD> RecordingInternetClient::ReadSizes() const {
  std::lock_guard lock(m_mutex);
  return m_readSizes;
}

bool RecordingInternetClient::Fails(Call call) {
  if (failing != call || m_failed) return false;
  m_failed = true;
  return true;
}

HINTERNET RecordingInternetClient::Opened(HINTERNET handle) {
  if (handle) ++m_openHandles;
  return handle;
}

HINTERNET RecordingInternetClient::InternetOpen(const std::string& agent, DWORD accessType) {
  return Fails(Call::Open) ? nullptr : Opened(m_real.InternetOpen(agent, accessType));
}

HINTERNET RecordingInternetClient::InternetConnect(HINTERNET internet, const std::string& serverName,
                                                   INTERNET_PORT port, DWORD service) {
  return Fails(Call::Connect) ? nullptr : Opened(m_real.InternetConnect(internet, serverName, port, service));
}

HINTERNET RecordingInternetClient::HttpOpenRequest(HINTERNET connect, const std::string& verb,
                                                   const std::string& objectName, DWORD flags) {
  return Fails(Call::OpenRequest) ? nullptr : Opened(m_real.HttpOpenRequest(connect, verb, objectName, flags));
}

bool RecordingInternetClient::HttpSendRequestEx(HINTERNET request, uint64_t bodyLengthBytes) {
  return !Fails(Call::SendRequest) && m_real.HttpSendRequestEx(request, bodyLengthBytes);
}

bool RecordingInternetClient::InternetWriteFile(HINTERNET request, const void* buffer, DWORD bytesToWrite,
                                                DWORD& bytesWritten) {
  {
    std::lock_guard lock(m_mutex);
    m_writes.push_back(bytesToWrite);
  }
  if (Fails(Call::Write)) return false;
  if (bytesToWrite > 0 && Fails(Call::ShortWrite)) {
    return m_real.InternetWriteFile(request, buffer, bytesToWrite - 1, bytesWritten);
  }
  return m_real.InternetWriteFile(request, buffer, bytesToWrite, bytesWritten);
}

bool RecordingInternetClient::HttpEndRequest(HINTERNET request) {
  return !Fails(Call::EndRequest) && m_real.HttpEndRequest(request);
}

bool RecordingInternetClient::InternetReadFile(HINTERNET request, void* buffer, DWORD bytesToRead, DWORD& bytesRead) {
  bool second = false;
  {
    std::lock_guard lock(m_mutex);
    m_readSizes.push_back(bytesToRead);
    second = m_readSizes.size() == 2;
  }
  // Reading fails once some of the answer has arrived, so the part gathered stays visible.
  if (second && Fails(Call::Read)) return false;
  return m_real.InternetReadFile(request, buffer, bytesToRead, bytesRead);
}

bool RecordingInternetClient::InternetCloseHandle(HINTERNET handle) {
  const bool closed = m_real.InternetCloseHandle(handle);
  if (closed) --m_openHandles;
  return closed;
}

bool RecordingInternetClient::InternetSetOption(HINTERNET handle, DWORD option, DWORD value) {
  return m_real.InternetSetOption(handle, option, value);
}

bool RecordingInternetClient::InternetQueryOption(HINTERNET handle, DWORD option, DWORD& value) {
  return m_real.InternetQueryOption(handle, option, value);
}

bool RecordingInternetClient::InternetGetConnectedState(DWORD& flags) {
  flags = offline ? 0 : INTERNET_CONNECTION_LAN;
  return !offline;
}

void RecordingInternetClient::InternetCancelRequest(HINTERNET request) { m_real.InternetCancelRequest(request); }

DWORD RecordingInternetClient::InternetGetLastError() {
  return m_failed ? ERROR_INTERNET_INTERNAL_ERROR : m_real.InternetGetLastError();
}

std::string RecordingInternetClient::InternetGetLastErrorText() {
  return m_failed ? "refused by the test" : m_real.InternetGetLastErrorText();
}
