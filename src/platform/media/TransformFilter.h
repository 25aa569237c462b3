#pragma once
// One-in, one-out transform base. It makes both pins, connects them, negotiates the output
// allocator, changes state, passes end of stream and flushes, and calls Transform with a fresh
// output sample for each input sample. Encoders whose output does not follow their input
// sample for sample queue it instead (QueueOutput) and the base gathers it into buffers.
//
// Threads and locks:
// - Connection hooks (CheckInputType, CheckTransform, GetMediaType, SetMediaType,
//   CheckConnect, CompleteConnect, BreakConnect, DecideBufferSize, GetOutputBufferProperties)
//   run on the control thread under the filter lock (FilterLock()), while the filter is
//   stopped. Two exceptions: QueryAccept from a peer reaches CheckInputType/CheckTransform
//   without the lock, and a sample that carries a new media type has CheckInputType and
//   CheckTransform called on the streaming thread under m_csReceive. Checks must therefore not
//   change the filter's state.
// - StartStreaming (Stopped -> Paused) and StopStreaming (Stop) run on the control thread under
//   the filter lock and m_csReceive. At StopStreaming both allocators are already decommitted:
//   it can no longer get output buffers.
// - Receive, Transform and EndOfStream run on the upstream streaming thread under m_csReceive,
//   so no two of them and no Start/StopStreaming overlap.
// - BeginFlush and EndFlush run on the thread that flushes (control or upstream) under the
//   filter lock but not m_csReceive: a Receive may still be running.
// m_csReceive guards everything the streaming hooks share, including the queued output.
// The pins are made once (CreatePins) under the filter lock and live as long as the filter.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
 public:
  // *result is always S_OK; the parameter mirrors the framework's constructors.
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
  // *result is always S_OK; the parameter mirrors the framework's constructors.
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
  // The pins are made on the first GetPin, or earlier when a derived constructor calls
  // CreatePins to report a failure through its result parameter.
  explicit CTransformFilter(const CLSID& clsid, std::string inputPinName = "XForm In",
                            std::string outputPinName = "XForm Out");

  // ---- Connection (control thread, filter lock) ----

  // Required: S_OK accepts an input type; S_FALSE or a failure refuses it.
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE* input) = 0;
  // Required: S_OK when this input type can become this output type.
  virtual HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) = 0;
  // Required: the output type at `position` for the connected input; VFW_S_NO_MORE_ITEMS past
  // the end. Only called while the input is connected.
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) = 0;
  // Optional: sets the output allocator's properties and checks the answer. The default asks
  // GetOutputBufferProperties what to request, given the input allocator's properties, and
  // fails with ShortAllocatorResult() when the allocator grants fewer or smaller buffers.
  // E_UNEXPECTED while the input is unconnected, E_POINTER for null arguments.
  virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request);
  // Optional: the output buffers wanted, given what one input buffer holds (`input`, the
  // input allocator's properties). `request` arrives with what the downstream pin asked for.
  // The default asks for one byte-aligned buffer as large as an input buffer.
  virtual HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request);
  // Optional: what DecideBufferSize returns when the allocator grants less than requested.
  // Default E_FAIL.
  virtual HRESULT ShortAllocatorResult() const;
  // Optional: the agreed type of either pin, after the pin stored it (default S_OK).
  virtual HRESULT SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type);
  // Optional: may refuse a peer before types are tried (default S_OK).
  virtual HRESULT CheckConnect(PIN_DIRECTION direction, IPin* pin);
  // Optional: a connection is being undone or did not complete (default S_OK).
  virtual HRESULT BreakConnect(PIN_DIRECTION direction);
  // Optional: a connection is complete; a failure undoes it (default S_OK).
  virtual HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin);
  // Optional: makes the pins; the defaults make a CTransformInputPin and a CTransformOutputPin
  // with the names given to the constructor. Called once, from CreatePins.
  virtual std::unique_ptr<CTransformInputPin> MakeInputPin(const std::string& name);
  virtual std::unique_ptr<CTransformOutputPin> MakeOutputPin(const std::string& name);

  // ---- State changes (control thread, filter lock and m_csReceive) ----

  // Optional: Stopped -> Paused with both pins connected; a failure fails the Pause (default
  // S_OK).
  virtual HRESULT StartStreaming();
  // Optional: Stop, and after a Pause that failed past StartStreaming (default S_OK). Queued
  // output is discarded after it returns.
  virtual HRESULT StopStreaming();

  // ---- Streaming (streaming thread, m_csReceive) ----

  // Required unless Receive is overridden: fill `output` from `input`. S_FALSE drops the
  // sample without failing the stream.
  virtual HRESULT Transform(IMediaSample* input, IMediaSample* output);
  // Optional: called once the input pin accepted the sample (connected, not stopped, not
  // flushing, not past end of stream). The default gets an output buffer, copies the sample's
  // times, media times and flags, calls Transform and delivers the result.
  virtual HRESULT Receive(IMediaSample* sample);
  // Optional: the default delivers any queued output, then passes end of stream downstream
  // even when that delivery failed, so the writer downstream still completes its file; it
  // returns the first failure. Encoders drain into QueueOutput and then call it.
  virtual HRESULT EndOfStream();

  // ---- Flushing (flushing thread, filter lock, not m_csReceive) ----

  // Optional: the default discards queued output and passes the flush downstream. An override
  // calls it last.
  virtual HRESULT BeginFlush();
  // Optional: the default passes the end of the flush downstream.
  virtual HRESULT EndFlush();

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  HRESULT Stop() override;
  HRESULT Pause() override;

  // Null until the pins are made; both exist once either does.
  CTransformInputPin* InputPin() { return m_pInput.get(); }
  CTransformOutputPin* OutputPin() { return m_pOutput.get(); }

 protected:
  friend class CTransformInputPin;

  // Makes both pins unless they exist; E_OUTOFMEMORY when either cannot be made. Any thread.
  HRESULT CreatePins();

  // A fresh output buffer carrying the input's times, media times and flags.
  HRESULT InitializeOutputSample(IMediaSample* input, SamplePtr* output);

  // Output batching, streaming thread under m_csReceive (or the control thread holding it).
  //
  // Appends `bytes`, covering stream times [start, end), to the queued output sample. The queued
  // sample is delivered first when the bytes would not fit in what is left of it; bytes larger
  // than one buffer are split across samples, each piece timed in proportion to its share. A
  // delivered sample spans its first piece's start to its last piece's end and is a sync
  // point. Returns the first delivery or allocator result other than S_OK.
  HRESULT QueueOutput(std::span<const uint8_t> bytes, REFERENCE_TIME start, REFERENCE_TIME end);
  // Delivers the queued sample; S_OK when there is none.
  HRESULT DeliverQueuedOutput();
  // Drops the queued sample and its bytes.
  void DiscardQueuedOutput();

  std::unique_ptr<CTransformInputPin> m_pInput;
  std::unique_ptr<CTransformOutputPin> m_pOutput;
  std::mutex m_csReceive;

 private:
  // Output queued before the latest BeginFlush is stale.
  bool QueuedOutputIsStale() const;

  const std::string m_inputPinName;
  const std::string m_outputPinName;
  // The output sample being filled and what it holds so far; guarded by m_csReceive.
  SamplePtr m_queued;
  long m_queuedBytes = 0;
  REFERENCE_TIME m_queuedStart = 0;
  REFERENCE_TIME m_queuedEnd = 0;
  uint64_t m_queuedFlushCount = 0;
  // Counts BeginFlush calls. Written by the flushing thread, which cannot take m_csReceive
  // while a Receive may be blocked downstream; the streaming thread drops a queued sample
  // begun before the latest flush.
  std::atomic<uint64_t> m_flushCount{0};
};
