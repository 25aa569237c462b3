#pragma once
// The audio renderer: plays the PCM it receives on the backend's output device, for preview
// and playback. It opens the playback stream on Stopped -> Paused (a refusal fails the state
// change with the backend's text through SetErrorInfo) and closes it on Stop. While paused it
// holds each arriving sample, and an arriving end of stream, until it runs, stops or flushes.
// At end of stream it waits until the device has played everything and reports EC_COMPLETE
// only when it is running then (a pause meanwhile defers the report to the next run; a stop
// or flush cancels it).
//
// IBasicAudio scales the samples in software (hundredths of a dB; -10000 is silence); the
// change applies from the next sample. IMediaSeeking reports the position being heard: the
// end time of the last sample written less what the device has not played yet; it is unknown
// (S_FALSE) from a stop or flush until the next sample is written.
//
// Threads and locks: state changes on the control thread under m_csFilter. Render and
// EndOfStream run on the upstream streaming thread with m_csReceive held while they use the
// stream; Stop first releases a blocked write (SetFlushing), then takes m_csReceive to close
// the stream, never while holding m_csFilter. m_gateMutex and m_gateChanged let a held sample
// wait for a state change or a flush. m_positionMutex guards m_lastEnd and m_positionKnown.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/CAudioRendererInputPin.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasicAudio.h"
#include "platform/media/Seeking.h"

inline constexpr GUID CLSID_AudioRender{0xE30629D1, 0x27E5, 0x11CE, {0x87, 0x5D, 0x00, 0x60, 0x8C, 0xB7, 0x80, 0x66}};

class CAudioRendererFilter : public CBaseFilter, public IAMFilterMiscFlags, public IBasicAudio, public IMediaSeeking {
 public:
  // Fails with the backend's code when it has no output device.
  static HRESULT Create(const std::shared_ptr<AudioBackend>& backend, std::shared_ptr<IBaseFilter>* filter);

  CAudioRendererFilter(std::shared_ptr<AudioBackend> backend, const AudioDeviceCaps& caps);

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  uint32_t GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

  HRESULT put_Volume(long volume) override;
  HRESULT get_Volume(long* volume) override;

  // Position reporting only: no seeking capability, SetPositions gives E_NOTIMPL.
  HRESULT GetCapabilities(uint32_t* capabilities) override;
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetDuration(REFERENCE_TIME* duration) override;

  // Streaming thread, called by the input pin after its checks.
  HRESULT Render(IMediaSample* sample);
  HRESULT EndOfStream();
  // The flushing thread.
  HRESULT SetFlushing(bool flushing);

 private:
  void OpenGate();
  // Waits while paused; true when running, false when stopped or flushing.
  bool WaitUntilRunning();
  void CloseStream();
  void ForgetPosition();

  const std::shared_ptr<AudioBackend> m_backend;
  std::unique_ptr<CAudioRendererInputPin> m_pin;
  std::mutex m_csReceive;
  std::unique_ptr<AudioPlaybackStream> m_stream;  // set on the control thread under m_csReceive
  std::vector<uint8_t> m_scaled;                  // m_csReceive: samples with the volume applied
  std::atomic<long> m_volume{0};
  std::mutex m_gateMutex;
  std::condition_variable m_gateChanged;
  std::mutex m_positionMutex;
  REFERENCE_TIME m_lastEnd = 0;
  bool m_positionKnown = false;
};
