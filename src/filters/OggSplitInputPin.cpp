#include "filters/OggSplitInputPin.h"

#include "filters/OggPageReader.h"
#include "filters/OggSplitter.h"
#include "filters/OggStream.h"

COggSplitInputPin::COggSplitInputPin(COggSplitter* filter) : CPullInputPin(filter, "Input"), m_splitter(filter) {}

COggSplitInputPin::~COggSplitInputPin() { StopReader(); }

HRESULT COggSplitInputPin::CompleteConnect(IPin* receivePin) {
  m_reader = QueryInterface<IAsyncReader>(receivePin);
  const HRESULT hr = m_splitter->ScanFile(m_reader);
  if (FAILED(hr)) m_reader = nullptr;
  return hr;
}

HRESULT COggSplitInputPin::BreakConnect() {
  StopReader();
  m_splitter->RemoveStreams();
  m_reader = nullptr;
  return S_OK;
}

void COggSplitInputPin::StartReader(OggSplitRun* run, int64_t startByte) {
  StopReader();
  m_thread = std::thread([this, run, startByte] { Read(run, startByte); });
}

void COggSplitInputPin::StopReader() {
  if (m_thread.joinable()) m_thread.join();
}

void COggSplitInputPin::Read(OggSplitRun* run, int64_t startByte) {
  COggPageReader pages(m_reader, kReadBlockBytes);
  pages.Seek(startByte);
  ogg_page page;
  int64_t offset = 0;
  HRESULT hr = S_OK;
  while (m_splitter->AnyStreamReceiving() && (hr = pages.Next(&page, &offset)) == S_OK) {
    COggStream* stream = m_splitter->StreamForPage(page, offset);
    if (stream == nullptr || !stream->Receiving()) continue;
    stream->QueuePage(page, offset, m_splitter->PageTime(page, offset));
    std::unique_lock lock(run->lock);
    if (stream->QueueFull()) run->changed.wait(lock, [&] { return run->quit || stream->QueueDrained(); });
    if (run->quit) return;
  }
  // A file that cannot be read any more ends the stream early; the reason goes to the graph.
  if (FAILED(hr) && !run->Quitting()) m_splitter->NotifyEvent(EC_ERRORABORT, hr, 0);
  std::lock_guard lock(run->lock);
  run->readerDone = true;
  run->changed.notify_all();
}
