#pragma once
// FFmpeg's byte input (an AVIOContext) over a pull reader, so the demuxers read the file
// through the file source's pin and nothing else. One thread at a time: the one decoding.

#include <memory>

#include "platform/media/AsyncReader.h"

struct AVIOContext;

class FfmpegReaderIo {
 public:
  // `reader` must outlive the object.
  static HRESULT Create(IAsyncReader* reader, std::unique_ptr<FfmpegReaderIo>* io);
  ~FfmpegReaderIo();
  FfmpegReaderIo(const FfmpegReaderIo&) = delete;
  FfmpegReaderIo& operator=(const FfmpegReaderIo&) = delete;

  AVIOContext* Context() const { return m_context; }
  // The reader's failure behind FFmpeg's last I/O error (its text is set then), else S_OK.
  HRESULT ReadFailure() const { return m_readFailure; }

 private:
  explicit FfmpegReaderIo(IAsyncReader* reader);
  static int Read(void* opaque, uint8_t* buffer, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);

  IAsyncReader* m_reader;
  int64_t m_position = 0;
  HRESULT m_readFailure = S_OK;
  AVIOContext* m_context = nullptr;
};
