#pragma once
// One-in, one-out transform base. It connects both pins, negotiates the allocator, changes
// state, passes end of stream and flushes, and calls Transform with a fresh output sample for
// each input sample.
//
// Threads: Receive, Transform and EndOfStream run on the upstream streaming thread with
// m_csReceive held; StartStreaming runs on the control thread under m_csReceive at
// Stopped -> Paused; StopStreaming runs on the control thread under m_csReceive at Stop, so a
// filter's streaming state is never touched by two threads at once.

#include <memory>
#include <mutex>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
 public:
  CTransformInputPin(const std::string& name, CTransformFilter* filter, HRESULT* result);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT CheckConnect(IPin* pin) override;
  HRESULT CompleteConnect(IPin* receivePin) override;
  HRESULT BreakConnect() override;
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

 protected:
  CTransformFilter* m_pTransformFilter;
};

class CTransformOutputPin : public CBaseOutputPin {
 public:
  CTransformOutputPin(const std::string& name, CTransformFilter* filter, HRESULT* result);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT CheckConnect(IPin* pin) override;
  HRESULT CompleteConnect(IPin* receivePin) override;
  HRESULT BreakConnect() override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

 protected:
  CTransformFilter* m_pTransformFilter;
};

class CTransformFilter : public CBaseFilter {
 public:
  explicit CTransformFilter(const CLSID& clsid);

  // Required: S_OK accepts an input type.
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE* input) = 0;
  // Required: S_OK when this input type can become this output type.
  virtual HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) = 0;
  // Required: the output types this filter offers for the connected input.
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) = 0;
  // Required: buffer count and size for the output allocator.
  virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
  // Required unless Receive is overridden: fill `output` from `input`. S_FALSE drops the sample.
  virtual HRESULT Transform(IMediaSample* input, IMediaSample* output);

  // Optional hooks (defaults do nothing and return S_OK).
  virtual HRESULT SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type);
  virtual HRESULT CheckConnect(PIN_DIRECTION direction, IPin* pin);
  virtual HRESULT BreakConnect(PIN_DIRECTION direction);
  virtual HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin);
  virtual HRESULT StartStreaming();
  virtual HRESULT StopStreaming();
  // Optional: the default gets an output buffer, copies the sample properties, calls
  // Transform and delivers the result.
  virtual HRESULT Receive(IMediaSample* sample);
  // Optional: the defaults pass the call downstream.
  virtual HRESULT EndOfStream();
  virtual HRESULT BeginFlush();
  virtual HRESULT EndFlush();

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  HRESULT Stop() override;
  HRESULT Pause() override;

  CTransformInputPin* InputPin() { return m_pInput.get(); }
  CTransformOutputPin* OutputPin() { return m_pOutput.get(); }

 protected:
  friend class CTransformInputPin;

  // A fresh output buffer carrying the input's times, media times and flags.
  HRESULT InitializeOutputSample(IMediaSample* input, SamplePtr* output);
  // Derived constructors may create their own pins here; GetPin creates the defaults otherwise.
  std::unique_ptr<CTransformInputPin> m_pInput;
  std::unique_ptr<CTransformOutputPin> m_pOutput;
  std::mutex m_csReceive;
};
