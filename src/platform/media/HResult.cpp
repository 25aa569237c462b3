#include "platform/media/HResult.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kWin32Facility = 0x80070000u;
constexpr uint32_t kErrorDiskFull = 112;    // ERROR_DISK_FULL
constexpr uint32_t kErrorFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
constexpr uint32_t kErrorPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
constexpr uint32_t kErrorAccessDenied = 5;  // ERROR_ACCESS_DENIED
// errno values without a Win32 counterpart keep their number above this base.
constexpr uint32_t kErrnoBase = 0x4000;

uint32_t Win32CodeFromErrno(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrorAccessDenied;
    default:
      return kErrnoBase + static_cast<uint32_t>(error);
  }
}

}  // namespace

HRESULT HResultFromErrno(int error) {
  if (error == 0) return S_OK;
  if (error == ENOMEM) return E_OUTOFMEMORY;
  return MakeResult(kWin32Facility | Win32CodeFromErrno(error));
}

std::string DescribeResult(HRESULT hr) {
  switch (hr) {
    case S_OK:
      return "Success.";
    case S_FALSE:
      return "The operation did not apply.";
    case E_NOTIMPL:
      return "Not implemented.";
    case E_NOINTERFACE:
      return "The object does not offer the requested interface.";
    case E_POINTER:
      return "A required argument was missing.";
    case E_ABORT:
      return "The operation was aborted.";
    case E_FAIL:
      return "Unspecified failure.";
    case E_UNEXPECTED:
      return "Unexpected failure (missing device or wrong state).";
    case E_ACCESSDENIED:
      return "Access denied.";
    case E_OUTOFMEMORY:
      return "Out of memory.";
    case E_INVALIDARG:
      return "Invalid argument.";
    case VFW_E_NOT_CONNECTED:
      return "The pin is not connected.";
    case VFW_E_ALREADY_CONNECTED:
      return "The pin is already connected.";
    case VFW_E_NO_ACCEPTABLE_TYPES:
      return "The pins have no media type in common.";
    case VFW_E_TYPE_NOT_ACCEPTED:
      return "The media type was not accepted.";
    case VFW_E_CANNOT_CONNECT:
      return "No combination of filters could connect the pins.";
    case VFW_E_CANNOT_RENDER:
      return "No combination of filters could render the stream.";
    case VFW_E_NOT_COMMITTED:
      return "The allocator is not committed.";
    case VFW_E_SIZENOTSET:
      return "The allocator has no buffer size.";
    case VFW_E_NOT_STOPPED:
      return "The operation needs the graph stopped.";
    case VFW_E_WRONG_STATE:
      return "The operation is not possible in the current state.";
    case VFW_E_TIMEOUT:
      return "Timed out waiting for the state change.";
    case VFW_E_INVALID_FILE_FORMAT:
      return "The file format is invalid.";
    case VFW_E_UNKNOWN_FILE_TYPE:
      return "The file's type is not recognised.";
    case VFW_E_UNSUPPORTED_STREAM:
      return "The file holds no stream that can be played.";
    case VFW_E_NOT_FOUND:
      return "Not found.";
    default:
      break;
  }
  const uint32_t value = static_cast<uint32_t>(hr);
  if ((value & 0xFFFF0000u) == kWin32Facility) {
    const uint32_t code = value & 0xFFFFu;
    if (code == kErrorDiskFull) return "The disk is full.";
    if (code == kErrorFileNotFound) return "The file was not found.";
    if (code == kErrorPathNotFound) return "The folder was not found.";
    if (code == kErrorAccessDenied) return "Access denied.";
    if (code >= kErrnoBase) return std::string(std::strerror(static_cast<int>(code - kErrnoBase))) + ".";
  }
  char text[64];
  std::snprintf(text, sizeof text, "Error 0x%08X.", value);
  return text;
}

namespace {
thread_local std::string t_errorInfo;
}

void SetErrorInfo(const std::string& text) { t_errorInfo = text; }
std::string GetErrorInfo() { return t_errorInfo; }
void ClearErrorInfo() { t_errorInfo.clear(); }
