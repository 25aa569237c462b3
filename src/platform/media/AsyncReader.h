#pragma once
// The pull model: a file source's output pin offers IAsyncReader, and the parser connected to
// it reads the bytes it needs, where it needs them, on its own thread. IFileSourceFilter loads
// the file into the source.

#include <cstdint>
#include <string>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/MediaType.h"
#include "platform/media/Unknown.h"

inline constexpr GUID CLSID_AsyncReader{0xE436EBB5, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Any thread may call these at any time, also several at once.
struct IAsyncReader : virtual IUnknown {
  // Reads `length` bytes at byte `position` into `buffer`. S_OK when all were read; S_FALSE
  // when the file ended first. `read` (may be null) receives the count read either way. A
  // failure carries a readable text through SetErrorInfo.
  virtual HRESULT SyncRead(int64_t position, long length, uint8_t* buffer, long* read) = 0;
  // The file's length in bytes now; for a file being written `available` may be less.
  virtual HRESULT Length(int64_t* total, int64_t* available) = 0;
};

struct IFileSourceFilter : virtual IUnknown {
  // Opens the file (`type` may be null). A missing, unreadable or non-regular file fails with
  // the system's code and a readable text through SetErrorInfo.
  virtual HRESULT Load(const std::string& path, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetCurFile(std::string* path, AM_MEDIA_TYPE* type) = 0;
};
