// Feeds arbitrary bytes to the file decoder through an in-memory pull reader: our glue around
// FFmpeg (the reader's I/O callbacks, positions, trimming after seeks, conversion to PCM).

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/codecs/FfmpegAudioDecoder.h"

namespace {

class MemoryReader : public IAsyncReader {
 public:
  MemoryReader(const uint8_t* data, size_t size) : m_data(data), m_size(static_cast<int64_t>(size)) {}

  HRESULT SyncRead(int64_t position, long length, uint8_t* buffer, long* read) override {
    if (read) *read = 0;
    if (position < 0 || length < 0) return E_INVALIDARG;
    const int64_t count = std::clamp<int64_t>(m_size - position, 0, length);
    if (count > 0) std::memcpy(buffer, m_data + position, static_cast<size_t>(count));
    if (read) *read = static_cast<long>(count);
    return count == length ? S_OK : S_FALSE;
  }
  HRESULT Length(int64_t* total, int64_t* available) override {
    *total = *available = m_size;
    return S_OK;
  }

 private:
  const uint8_t* m_data;
  int64_t m_size;
};

// Reads at most `limit` frames; false on a failure.
bool ReadSome(FfmpegAudioDecoder& decoder, std::vector<uint8_t>& buffer, size_t limit) {
  const size_t frames = buffer.size() / decoder.Format().nBlockAlign;
  for (size_t total = 0; total < limit;) {
    size_t got = 0;
    const HRESULT hr = decoder.Read(buffer.data(), frames, &got);
    if (hr != S_OK) return SUCCEEDED(hr);
    if (got == 0 || got > frames) __builtin_trap();
    total += got;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryReader reader(data, size);
  std::unique_ptr<FfmpegAudioDecoder> decoder;
  if (FAILED(FfmpegAudioDecoder::Open(&reader, &decoder))) return 0;
  const WAVEFORMATEX& format = decoder->Format();
  if ((format.wBitsPerSample != 8 && format.wBitsPerSample != 16) || format.nChannels == 0 ||
      format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8)
    __builtin_trap();
  std::vector<uint8_t> buffer(static_cast<size_t>(format.nBlockAlign) * 1024);
  if (!ReadSome(*decoder, buffer, 1 << 20)) return 0;
  const uint64_t target = size > 0 ? data[size - 1] * 97u : 0;
  if (SUCCEEDED(decoder->Seek(target))) ReadSome(*decoder, buffer, 1 << 16);
  return 0;
}
