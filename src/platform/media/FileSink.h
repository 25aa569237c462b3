#pragma once
// Writers that take a file name, and the byte-stream interface a file writer's input offers.

#include <cstdint>
#include <string>

#include "platform/media/HResult.h"
#include "platform/media/MediaType.h"
#include "platform/media/Unknown.h"

struct IFileSinkFilter : virtual IUnknown {
  // `type` may be null.
  virtual HRESULT SetFileName(const std::string& path, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetCurFile(std::string* path, AM_MEDIA_TYPE* type) = 0;
};

constexpr uint32_t AM_FILE_OVERWRITE = 1;

struct IFileSinkFilter2 : IFileSinkFilter {
  virtual HRESULT SetMode(uint32_t flags) = 0;
  virtual HRESULT GetMode(uint32_t* flags) = 0;
};

enum STREAM_SEEK { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

struct IStream : virtual IUnknown {
  virtual HRESULT Seek(int64_t move, STREAM_SEEK origin, uint64_t* newPosition) = 0;
  virtual HRESULT Write(const void* data, unsigned long length, unsigned long* written) = 0;
  virtual HRESULT Read(void* data, unsigned long length, unsigned long* read) = 0;
};

// Offered beside IStream by a file writer that can continue its output in the next numbered
// part (FileParts.h), for an upstream writer whose format cannot describe a longer file.
struct IFileContinuation : virtual IUnknown {
  // Creates the next part empty, then completes the current file (synced and closed); sample
  // offsets and the stream position refer to the new part from then on. On failure the current
  // file stays open and current.
  virtual HRESULT ContinueInNextFile() = 0;
};
