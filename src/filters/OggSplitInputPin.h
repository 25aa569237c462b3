#pragma once
// The Ogg splitter's input "Input": pulls the file through the source's IAsyncReader. On
// connection the filter scans the file (a file it cannot read refuses the connection); on
// disconnection the filter drops its streams and outputs. While the filter runs, the pin's
// reader thread reads the file from the run's start byte to its end, handing each page to its
// stream, and waits while an enabled stream's queue is full.
//
// Threads: connection and StartReader/StopReader on the control thread under the filter lock;
// the reader thread uses only the reader, the filter's streams (fixed while it runs) and the
// run's shared state.

#include <cstdint>
#include <thread>

#include "filters/OggSplitRun.h"
#include "platform/media/AsyncReader.h"
#include "platform/media/PullInputPin.h"

class COggSplitter;

class COggSplitInputPin : public CPullInputPin {
 public:
  static constexpr long kReadBlockBytes = 32768;

  explicit COggSplitInputPin(COggSplitter* filter);
  ~COggSplitInputPin() override;

  HRESULT CompleteConnect(IPin* receivePin) override;
  HRESULT BreakConnect() override;

  IAsyncReader* Reader() const { return m_reader; }
  // Starts the reader thread at `startByte`; StopReader waits for it once the run is told to
  // quit.
  void StartReader(OggSplitRun* run, int64_t startByte);
  void StopReader();

 private:
  void Read(OggSplitRun* run, int64_t startByte);

  COggSplitter* m_splitter;
  IAsyncReader* m_reader = nullptr;
  std::thread m_thread;
};
