#pragma once
// A sink that behaves like the platform file writer's input, over an in-memory file: each
// sample it accepts is written at the byte offset given by its start time, and its IStream
// seeks and writes the same file, so a writer that patches its header at stop can be read
// back whole. Gaps read as zeros.
//
// Threads: Receive runs on the streaming thread, the IStream calls on the thread that stops the
// writer, FileBytes on the test's. m_fileLock guards m_file, m_position and m_streamFailure.

#include "support/FakeSinkPin.h"
// After FakeSinkPin.h: FileSink.h does not include the result codes it uses.
#include "platform/media/FileSink.h"

class CFakeFileSinkPin : public CFakeSinkPin, public IStream {
 public:
  CFakeFileSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly);

  HRESULT Seek(int64_t move, STREAM_SEEK origin, uint64_t* newPosition) override;
  HRESULT Write(const void* data, unsigned long length, unsigned long* written) override;
  HRESULT Read(void* data, unsigned long length, unsigned long* read) override;

  // From now on Seek and Write fail with `failure`, as a full or vanished disk would.
  void FailStreamWith(HRESULT failure);
  std::vector<uint8_t> FileBytes() const;

 protected:
  // VFW_E_SAMPLE_TIME_NOT_SET for a sample without a start time: it has no place in the file.
  HRESULT Accept(const ReceivedSample& sample) override;

 private:
  // Call with m_fileLock held.
  HRESULT WriteAt(uint64_t offset, const uint8_t* data, size_t length);

  mutable std::mutex m_fileLock;
  std::vector<uint8_t> m_file;
  uint64_t m_position = 0;
  HRESULT m_streamFailure = S_OK;
};
