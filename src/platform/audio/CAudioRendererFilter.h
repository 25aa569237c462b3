#pragma once
// The audio renderer: plays the PCM it receives on the backend's output device, for preview
// and playback. It opens the playback stream on Stopped -> Paused (a refusal fails the state
// change with the backend's text through SetErrorInfo) and closes it on Stop. While paused it
// holds each arriving sample until it runs, stops or flushes; at end of stream it waits until
// the device has played everything, then reports EC_COMPLETE.
//
// Threads and locks: state changes on the control thread under m_csFilter. Render and
// EndOfStream run on the upstream streaming thread with m_csReceive held while they use the
// stream; Stop first releases a blocked write (SetFlushing), then takes m_csReceive to close
// the stream, never while holding m_csFilter. m_gateMutex and m_gateChanged let a held sample
// wait for a state change or a flush.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/CAudioRendererInputPin.h"
#include "platform/media/BaseFilter.h"

inline constexpr GUID CLSID_AudioRender{0xE30629D1, 0x27E5, 0x11CE, {0x87, 0x5D, 0x00, 0x60, 0x8C, 0xB7, 0x80, 0x66}};

class CAudioRendererFilter : public CBaseFilter, public IAMFilterMiscFlags {
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

  // Streaming thread, called by the input pin after its checks.
  HRESULT Render(IMediaSample* sample);
  HRESULT EndOfStream();
  // The flushing thread.
  HRESULT SetFlushing(bool flushing);

 private:
  void OpenGate();
  void CloseStream();

  const std::shared_ptr<AudioBackend> m_backend;
  std::unique_ptr<CAudioRendererInputPin> m_pin;
  std::mutex m_csReceive;
  std::unique_ptr<AudioPlaybackStream> m_stream;  // set on the control thread under m_csReceive
  std::mutex m_gateMutex;
  std::condition_variable m_gateChanged;
};
