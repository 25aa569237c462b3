#include "platform/codecs/FfmpegReaderIo.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <cstdio>

namespace {

// Large reads: a long file streams with few system calls.
constexpr int kBufferBytes = 256 * 1024;

}  // namespace

FfmpegReaderIo::FfmpegReaderIo(IAsyncReader* reader) : m_reader(reader) {}

FfmpegReaderIo::~FfmpegReaderIo() {
  if (m_context) {
    av_freep(&m_context->buffer);
    avio_context_free(&m_context);
  }
}

HRESULT FfmpegReaderIo::Create(IAsyncReader* reader, std::unique_ptr<FfmpegReaderIo>* io) {
  if (reader == nullptr || io == nullptr) return E_POINTER;
  io->reset();
  std::unique_ptr<FfmpegReaderIo> created(new FfmpegReaderIo(reader));
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
  if (buffer == nullptr) return E_OUTOFMEMORY;
  created->m_context = avio_alloc_context(buffer, kBufferBytes, 0, created.get(), &Read, nullptr, &Seek);
  if (created->m_context == nullptr) {
    av_free(buffer);
    return E_OUTOFMEMORY;
  }
  *io = std::move(created);
  return S_OK;
}

int FfmpegReaderIo::Read(void* opaque, uint8_t* buffer, int size) {
  auto* self = static_cast<FfmpegReaderIo*>(opaque);
  if (size <= 0) return 0;
  long read = 0;
  const HRESULT hr = self->m_reader->SyncRead(self->m_position, size, buffer, &read);
  if (FAILED(hr)) {
    self->m_readFailure = hr;
    return AVERROR(EIO);
  }
  if (read <= 0) return AVERROR_EOF;
  self->m_position += read;
  return static_cast<int>(read);
}

int64_t FfmpegReaderIo::Seek(void* opaque, int64_t offset, int whence) {
  auto* self = static_cast<FfmpegReaderIo*>(opaque);
  int64_t total = 0, available = 0;
  const int origin = whence & ~AVSEEK_FORCE;
  if (origin == AVSEEK_SIZE || origin == SEEK_END) {
    const HRESULT hr = self->m_reader->Length(&total, &available);
    if (FAILED(hr)) {
      self->m_readFailure = hr;
      return AVERROR(EIO);
    }
    if (origin == AVSEEK_SIZE) return total;
  }
  int64_t base = 0;
  if (origin == SEEK_CUR)
    base = self->m_position;
  else if (origin == SEEK_END)
    base = total;
  else if (origin != SEEK_SET)
    return AVERROR(EINVAL);
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return AVERROR(EINVAL);
  self->m_position = base + offset;
  return self->m_position;
}
