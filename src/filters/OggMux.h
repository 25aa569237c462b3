#pragma once
// The Ogg multiplexer: packs one or more elementary streams into one Ogg bitstream for the file
// writer. Pin 0 is the output; pins 1.. are inputs "Stream 0", "Stream 1" ..., of which one is
// always free: connecting the last free input adds the next. Pages of all inputs leave in the
// order of their times (ties go to the lower input), the header pages of every stream first.
// Once every connected input has ended, the last pages are written and end of stream goes
// downstream, so each run leaves a complete file.
//
// Threads: graph control (state, connection, seeking) on the control thread under m_csFilter.
// The page writer runs on whichever input thread calls RunPageWriter, under m_writerLock, which
// guards m_endDelivered; streaming threads never take m_csFilter, which the control thread
// holds while it waits for them to stop. m_pinsLock guards the m_inputs array (not the pins);
// m_currentTime and m_pagesMade are atomics.

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "filters/OggMuxOutputPin.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/Seeking.h"

class COggMuxInputPin;

// {8CAE96B7-85B1-4605-B23C-17FF5262B296}
inline constexpr CLSID CLSID_OggMux{0x8CAE96B7, 0x85B1, 0x4605, {0xB2, 0x3C, 0x17, 0xFF, 0x52, 0x62, 0xB2, 0x96}};

class COggMux : public CBaseFilter, public IMediaSeeking {
 public:
  // Capabilities offered through IMediaSeeking: current position, stop position, duration.
  static constexpr uint32_t kSeekingCapabilities =
      AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

  // *result is E_OUTOFMEMORY when the first pins cannot be created.
  explicit COggMux(HRESULT* result = nullptr);
  ~COggMux() override;

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  // From stopped: starts a new file (time and end-of-stream state reset). With no connected
  // input the file is finished at once.
  HRESULT Pause() override;

  HRESULT GetCapabilities(uint32_t* capabilities) override;
  // S_FALSE when asked for anything but the offered capabilities.
  HRESULT CheckCapabilities(uint32_t* capabilities) override;
  // Media time and byte.
  HRESULT IsFormatSupported(const GUID* format) override;
  HRESULT GetTimeFormat(GUID* format) override;
  HRESULT SetTimeFormat(const GUID* format) override;
  // The longest duration the upstream filters report in media time; E_FAIL in byte format,
  // E_NOTIMPL when no upstream filter answers.
  HRESULT GetDuration(REFERENCE_TIME* duration) override;
  // Media time: the time of the page last written; byte: the bytes written.
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  // Forwarded to the upstream filters that can seek; E_NOTIMPL when none can.
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;

  // Input pins, control thread under m_csFilter: appends a free input when none is left.
  HRESULT AddInputIfAllConnected();
  // Input threads: a stream made a page (for the back-pressure waits) / how many were made.
  void PageMade() { m_pagesMade.fetch_add(1); }
  uint64_t PagesMade() const { return m_pagesMade.load(); }
  // Input threads: writes every page whose turn has come, then, once every connected input has
  // ended, delivers end of stream downstream (once per run). The first failure.
  HRESULT RunPageWriter();

 private:
  // Call with m_writerLock held.
  HRESULT WritePages();
  bool AllInputsEnded();
  // The seeking interfaces of the filters upstream of connected inputs.
  std::vector<IMediaSeeking*> UpstreamSeeking();

  std::unique_ptr<COggMuxOutputPin> m_output;
  std::mutex m_pinsLock;
  std::vector<std::unique_ptr<COggMuxInputPin>> m_inputs;

  std::mutex m_writerLock;
  bool m_endDelivered = false;
  std::atomic<REFERENCE_TIME> m_currentTime{0};
  std::atomic<uint64_t> m_pagesMade{0};
  GUID m_timeFormat = TIME_FORMAT_MEDIA_TIME;  // m_csFilter
};
