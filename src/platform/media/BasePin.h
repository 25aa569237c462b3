#pragma once
// Base pins. CBasePin negotiates the connection; CBaseOutputPin decides the allocator and
// delivers; CBaseInputPin checks streaming state and offers IMemInputPin.
// Connection calls run on the control thread under the filter's lock; Deliver/Receive run on
// the streaming thread; the flushing and end-of-stream flags are atomics written by both.
// The connection fields (m_Connected, m_mt, the pins' allocators and m_pInputPin) change only
// while the filter is stopped: Connect, ReceiveConnection and Disconnect refuse otherwise. The
// streaming thread therefore reads them without a lock.

#include <atomic>
#include <memory>
#include <string>

#include "platform/media/BaseFilter.h"
#include "platform/media/Pin.h"

class CBasePin : public virtual IPin {
 public:
  CBasePin(CBaseFilter* filter, const std::string& name, PIN_DIRECTION direction);

  // Required: S_OK accepts the type; S_FALSE or a failure refuses it.
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) = 0;
  // Optional: the preferred type at `position`; VFW_S_NO_MORE_ITEMS past the end (default: none).
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type);
  // Optional: records the agreed type (default stores it in m_mt).
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* type);
  // Optional hooks around a connection: CheckConnect may refuse a peer, CompleteConnect
  // finishes it (output pins decide the allocator there), BreakConnect undoes it.
  virtual HRESULT CheckConnect(IPin* pin);
  virtual HRESULT CompleteConnect(IPin* receivePin);
  virtual HRESULT BreakConnect();
  // Called by the filter on Stopped -> Paused and on Stop.
  virtual HRESULT Active();
  virtual HRESULT Inactive();

  HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
  HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin** pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
  HRESULT QueryDirection(PIN_DIRECTION* direction) override;
  HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
  HRESULT EnumMediaTypes(std::unique_ptr<IEnumMediaTypes>* enumerator) override;
  IBaseFilter* Filter() override;
  std::string Name() override;
  // Default: the pin's name.
  HRESULT QueryId(std::string* id) override;

  bool IsConnected() const { return m_Connected != nullptr; }
  IPin* GetConnected() const { return m_Connected; }
  const AM_MEDIA_TYPE& CurrentMediaType() const { return m_mt; }

 protected:
  CBaseFilter* m_pFilter;
  IPin* m_Connected = nullptr;
  AM_MEDIA_TYPE m_mt;

 private:
  HRESULT AttemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type);
  HRESULT TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* hint, IEnumMediaTypes* types);

  std::string m_name;
  PIN_DIRECTION m_direction;
};

class CBaseOutputPin : public CBasePin {
 public:
  CBaseOutputPin(CBaseFilter* filter, const std::string& name);

  // Required: sets the buffer count and size on the chosen allocator.
  virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
  // Optional: the input pin's allocator if it offers one, else our own CMemAllocator.
  virtual HRESULT DecideAllocator(IMemInputPin* pin, std::shared_ptr<IMemAllocator>* allocator);

  HRESULT CheckConnect(IPin* pin) override;
  HRESULT CompleteConnect(IPin* receivePin) override;
  HRESULT BreakConnect() override;
  HRESULT Active() override;
  HRESULT Inactive() override;

  // Streaming thread.
  HRESULT GetDeliveryBuffer(SamplePtr* sample, const REFERENCE_TIME* start, const REFERENCE_TIME* end, uint32_t flags);
  HRESULT Deliver(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();

  // Output pins receive no stream control.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

  IMemAllocator* Allocator() const { return m_pAllocator.get(); }

 protected:
  IMemInputPin* m_pInputPin = nullptr;
  std::shared_ptr<IMemAllocator> m_pAllocator;
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
 public:
  CBaseInputPin(CBaseFilter* filter, const std::string& name);

  HRESULT GetAllocator(std::shared_ptr<IMemAllocator>* allocator) override;
  HRESULT NotifyAllocator(const std::shared_ptr<IMemAllocator>& allocator, bool readOnly) override;
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
  // Checks streaming state and any attached type change; derived pins call it first.
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT ReceiveCanBlock() override;

  // Derived pins call these first, then act on the stream.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

  HRESULT Active() override;
  HRESULT Inactive() override;
  HRESULT BreakConnect() override;

  bool IsFlushing() const { return m_bFlushing.load(); }
  bool IsReadOnly() const { return m_bReadOnly; }
  IMemAllocator* Allocator() const { return m_pAllocator.get(); }
  std::shared_ptr<IMemAllocator> SharedAllocator() const { return m_pAllocator; }

 protected:
  // VFW_E_NOT_CONNECTED, VFW_E_WRONG_STATE (stopped), S_FALSE (flushing),
  // VFW_E_SAMPLE_REJECTED_EOS (after end of stream), else S_OK.
  HRESULT CheckStreaming();

  std::shared_ptr<IMemAllocator> m_pAllocator;
  bool m_bReadOnly = false;
  std::atomic<bool> m_bFlushing{false};
  std::atomic<bool> m_bAtEndOfStream{false};
};

// Enumerates a pin's preferred types through CBasePin::GetMediaType.
class CEnumMediaTypes : public IEnumMediaTypes {
 public:
  explicit CEnumMediaTypes(CBasePin* pin);

  HRESULT Next(unsigned long count, AM_MEDIA_TYPE* types, unsigned long* fetched) override;
  HRESULT Skip(unsigned long count) override;
  HRESULT Reset() override;

 private:
  CBasePin* m_pin;
  int m_position = 0;
};
