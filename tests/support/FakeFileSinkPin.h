#pragma once
// A sink that behaves like the platform file writer's input, over an in-memory file: each
// sample it accepts is written at the byte offset given by its start time, and its IStream
// seeks and writes the same file, so a writer that patches its header at stop can be read
// back whole. Gaps read as zeros. Like the file writer it can continue in a next file
// (IFileContinuation); the files written before are kept as parts.
//
// Threads: Receive and ContinueInNextFile run on the streaming thread, the IStream calls on it
// and on the thread that stops the writer, FileBytes and Parts on the test's. m_fileLock guards
// m_parts, m_position, m_streamFailure and m_continuationFailure.

#include "support/FakeSinkPin.h"
// After FakeSinkPin.h: FileSink.h does not include the result codes it uses.
#include "platform/media/FileSink.h"

class CFakeFileSinkPin : public CFakeSinkPin, public IStream, public IFileContinuation {
 public:
  CFakeFileSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly);

  HRESULT Seek(int64_t move, STREAM_SEEK origin, uint64_t* newPosition) override;
  HRESULT Write(const void* data, unsigned long length, unsigned long* written) override;
  HRESULT Read(void* data, unsigned long length, unsigned long* read) override;
  HRESULT ContinueInNextFile() override;

  // From now on Seek and Write fail with `failure`, as a full or vanished disk would.
  void FailStreamWith(HRESULT failure);
  // From now on ContinueInNextFile fails with `failure` and changes nothing.
  void FailContinuationWith(HRESULT failure);
  // The first file.
  std::vector<uint8_t> FileBytes() const;
  // Every file in order, the first one included.
  std::vector<std::vector<uint8_t>> Parts() const;

 protected:
  // VFW_E_SAMPLE_TIME_NOT_SET for a sample without a start time: it has no place in the file.
  HRESULT Accept(const ReceivedSample& sample) override;

 private:
  // Call with m_fileLock held.
  HRESULT WriteAt(uint64_t offset, const uint8_t* data, size_t length);

  mutable std::mutex m_fileLock;
  std::vector<std::vector<uint8_t>> m_parts{1};  // the last one is written
  uint64_t m_position = 0;
  HRESULT m_streamFailure = S_OK;
  HRESULT m_continuationFailure = S_OK;
};
