#pragma once
// Pin interfaces: connection, media type negotiation and the push transport (IMemInputPin).

#include <memory>
#include <string>

#include "platform/media/Allocator.h"
#include "platform/media/MediaType.h"

struct IBaseFilter;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

struct IEnumMediaTypes : virtual IUnknown {
  // Copies up to `count` types into `types`; S_FALSE when fewer were left.
  virtual HRESULT Next(unsigned long count, AM_MEDIA_TYPE* types, unsigned long* fetched) = 0;
  virtual HRESULT Skip(unsigned long count) = 0;
  virtual HRESULT Reset() = 0;
};

struct IPin : virtual IUnknown {
  // Output pins: connect to `receivePin`, with `type` (may be partial or null) as a hint.
  virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) = 0;
  // Input pins: accept or refuse a connection of exactly this type.
  virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT Disconnect() = 0;
  // VFW_E_NOT_CONNECTED when not connected.
  virtual HRESULT ConnectedTo(IPin** pin) = 0;
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
  virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT EnumMediaTypes(std::unique_ptr<IEnumMediaTypes>* enumerator) = 0;
  virtual IBaseFilter* Filter() = 0;
  virtual std::string Name() = 0;
  // The pin's identifier among its filter's pins, for finding it again.
  virtual HRESULT QueryId(std::string* id) = 0;
  // Stream control, passed downstream on the streaming thread (EndOfStream) or the thread that
  // flushes (BeginFlush, EndFlush).
  virtual HRESULT EndOfStream() = 0;
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
};

struct IEnumPins : virtual IUnknown {
  virtual HRESULT Next(unsigned long count, IPin** pins, unsigned long* fetched) = 0;
  virtual HRESULT Skip(unsigned long count) = 0;
  virtual HRESULT Reset() = 0;
};

struct IMemInputPin : virtual IUnknown {
  virtual HRESULT GetAllocator(std::shared_ptr<IMemAllocator>* allocator) = 0;
  virtual HRESULT NotifyAllocator(const std::shared_ptr<IMemAllocator>& allocator, bool readOnly) = 0;
  // E_NOTIMPL when the pin has no requirements.
  virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) = 0;
  // Called on the upstream streaming thread. The sample stays the caller's; a receiver that
  // needs the data later copies it.
  virtual HRESULT Receive(IMediaSample* sample) = 0;
  virtual HRESULT ReceiveCanBlock() = 0;
};
