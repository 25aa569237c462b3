#pragma once
// The capture source filter of one device of an audio backend: a live source with one output
// pin, "Capture" (CAudioCapturePin), delivering PCM in the format set on that pin.
//
// States: Stopped -> Paused opens the device's capture stream for reads of the pin's buffer size (a refusal fails the
// state change, with the backend's text through SetErrorInfo) and starts the capture thread. Running -> Paused pauses
// the stream; when the stream refuses, the filter keeps running and returns the stream's failure. The thread delivers
// what the stream captured while running (a pause ends the current read with what was captured before it, and the
// stream keeps nothing from paused time). Sample times count the frames delivered (start = frames * 10^7 / rate, end =
// start + this buffer's duration), so paused time leaves no gap; every sample is a sync point, the first a
// discontinuity. Stop (from Running or Paused) ends the stream: the thread stops reading, delivers end of stream and
// exits; Stop joins it, closes the stream, and the base class then decommits the allocator. When the input ends (a
// file), the thread delivers end of stream and exits on its own. A failed delivery (the downstream refused, e.g. a full
// disk) or a device error sends EC_ERRORABORT with its code, then end of stream, and ends the thread; S_FALSE from
// downstream (flushing) is not an error.
//
// Threads and locks: state changes and pin configuration run on the graph's control thread
// under m_csFilter. The capture thread owns the delivery loop; it reads m_stopping (atomic),
// the filter state (atomic) and the stream, which is created before the thread starts and
// destroyed after it is joined. Stop joins the thread without holding m_csFilter, so a
// thread that is still delivering never waits on a lock its joiner holds.

#include <atomic>
#include <memory>
#include <thread>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/CAudioCapturePin.h"
#include "platform/media/BaseFilter.h"

inline constexpr GUID CLSID_AudioRecord{0xE30629D2, 0x27E5, 0x11CE, {0x87, 0x5D, 0x00, 0x60, 0x8C, 0xB7, 0x80, 0x66}};

class CAudioCaptureFilter : public CBaseFilter, public IAMFilterMiscFlags {
 public:
  // Fails with the backend's code when `device` is not one of its capture devices.
  static HRESULT Create(const std::shared_ptr<AudioBackend>& backend, int device, std::shared_ptr<IBaseFilter>* filter);

  CAudioCaptureFilter(std::shared_ptr<AudioBackend> backend, int device, const AudioDeviceCaps& caps);
  ~CAudioCaptureFilter() override;

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  uint32_t GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

  CAudioCapturePin* CapturePin() { return m_pin.get(); }
  // Dropouts (overruns the device recovered from) over every run of this filter. Control thread.
  uint64_t OverrunCount() const { return m_overrunsBefore + (m_stream ? m_stream->OverrunCount() : 0); }
  // Ends the stream once `frames` frames were delivered since the stream opened, as when the
  // input ends (the last buffer is cut to the limit); 0: no limit. Control thread, while stopped.
  void SetFrameLimit(uint64_t frames) { m_frameLimit = frames; }
  // Frames delivered since the stream opened. Any thread.
  uint64_t FramesDelivered() const { return m_framesDelivered; }
  // The largest sample magnitude delivered since the last call, as a fraction of full scale
  // (0 ... 1). Any thread.
  double TakePeakLevel();

 private:
  void CaptureLoop(WAVEFORMATEX format, long bufferBytes);
  // Delivers one buffer of `bytes` bytes with its times; m_framesDelivered advances.
  HRESULT DeliverCaptured(IMediaSample* sample, size_t bytes, const WAVEFORMATEX& format);
  // Stops the stream, joins the thread and closes the stream; the stream's Stop result.
  HRESULT EndCapture();

  const std::shared_ptr<AudioBackend> m_backend;
  const int m_device;
  std::unique_ptr<CAudioCapturePin> m_pin;
  std::unique_ptr<AudioCaptureStream> m_stream;  // control thread; see above
  uint64_t m_overrunsBefore = 0;                 // control thread: of the streams already closed
  std::thread m_thread;
  std::atomic<bool> m_stopping{false};
  std::atomic<uint64_t> m_frameLimit{0};
  std::atomic<uint64_t> m_framesDelivered{0};  // written by the capture thread
  std::atomic<uint32_t> m_peak{0};             // on PcmPeak's scale; raised by the capture thread
};
