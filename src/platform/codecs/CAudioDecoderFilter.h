#pragma once
// The platform's decoder for files: pulls the bytes of a file source through IAsyncReader,
// decodes the first audio stream with FFmpeg and delivers 16-bit PCM (8-bit for 8-bit audio)
// at the file's rate and channel count from its own streaming thread. Seeks to absolute positions; the stop position
// is honoured to the sample frame, so a stretch [start, stop) delivers exactly
// (stop - start) x rate / 10^7 frames (truncated positions). Sample times are the audio's
// position in the file. Ogg files are refused at connection.
//
// After Stop the next run starts again at the last start position set (0 by default).
//
// Threads: connection, state changes and seeking run on the graph's control thread under
// m_csFilter; the streaming thread decodes and delivers, and is the only user of m_decoder
// while it runs (the control thread uses it only while no thread runs). m_stopFrame is read by
// the streaming thread without a lock.

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "platform/codecs/CAudioDecoderInputPin.h"
#include "platform/codecs/CAudioDecoderOutputPin.h"
#include "platform/codecs/FfmpegAudioDecoder.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/Seeking.h"

inline constexpr GUID CLSID_CorvoxAudioDecoder{
    0x6B2A34C1, 0x5D0E, 0x4F7A, {0x9C, 0x3B, 0x8E, 0x1D, 0x2F, 0x4A, 0x6B, 0x70}};

class CAudioDecoderFilter : public CBaseFilter, public IMediaSeeking {
 public:
  CAudioDecoderFilter();
  ~CAudioDecoderFilter() override;

  int GetPinCount() override { return 2; }
  CBasePin* GetPin(int n) override;
  HRESULT Stop() override;
  HRESULT Pause() override;

  HRESULT GetCapabilities(uint32_t* capabilities) override;
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;
  // The start position last set: where the stream starts when it runs next.
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  // The stop position set, else the duration.
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetDuration(REFERENCE_TIME* duration) override;

  // For the pins, on the control thread under m_csFilter.
  HRESULT OpenFile(IAsyncReader* reader);
  void CloseFile();
  std::optional<WAVEFORMATEX> OutputFormat() const;

 private:
  void StartStreaming();
  void StopStreaming();
  // The streaming thread: from `startFrame` (seeking there first when `seek`) to the stop frame.
  void Stream(uint64_t startFrame, bool seek);
  void Abort(HRESULT hr);

  std::unique_ptr<CAudioDecoderInputPin> m_input;
  std::unique_ptr<CAudioDecoderOutputPin> m_output;
  std::unique_ptr<FfmpegAudioDecoder> m_decoder;
  std::thread m_thread;
  std::atomic<bool> m_quit{false};
  REFERENCE_TIME m_start = 0;            // m_csFilter
  std::optional<REFERENCE_TIME> m_stop;  // m_csFilter
  bool m_decoderAtStart = true;          // m_csFilter: no seek needed to begin at m_start
  std::atomic<uint64_t> m_stopFrame{UINT64_MAX};
};
