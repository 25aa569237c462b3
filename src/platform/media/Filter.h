#pragma once
// Filter interfaces: state changes, pins, membership of a graph, and events to the graph.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/Pin.h"

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

struct IReferenceClock : virtual IUnknown {};

struct IMediaFilter : virtual IUnknown {
  virtual HRESULT Stop() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  virtual HRESULT GetState(uint32_t timeoutMs, FILTER_STATE* state) = 0;
  // Null runs without a reference clock: samples are rendered as they arrive.
  virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
};

struct IFilterGraph;

struct IBaseFilter : IMediaFilter {
  virtual HRESULT EnumPins(std::unique_ptr<IEnumPins>* enumerator) = 0;
  virtual HRESULT FindPin(const std::string& id, IPin** pin) = 0;
  virtual std::string Name() = 0;
  virtual IFilterGraph* Graph() = 0;
  // Called by the graph when the filter is added (graph set) or removed (null).
  virtual HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) = 0;
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

// Graph event codes.
constexpr long EC_COMPLETE = 1;
constexpr long EC_USERABORT = 2;
constexpr long EC_ERRORABORT = 3;

// Filters report events through the graph they joined; callable from any thread. Notify runs
// on the reporting thread, so a failure's text set there with SetErrorInfo travels with it.
struct IMediaEventSink : virtual IUnknown {
  virtual HRESULT Notify(long eventCode, intptr_t param1, intptr_t param2) = 0;
};

constexpr uint32_t AM_FILTER_MISC_FLAGS_IS_RENDERER = 1;
constexpr uint32_t AM_FILTER_MISC_FLAGS_IS_SOURCE = 2;

// Renderers report EC_COMPLETE at end of stream; live sources deliver end of stream when
// stopped, so the graph waits for it before stopping the filters downstream.
struct IAMFilterMiscFlags : virtual IUnknown {
  virtual uint32_t GetMiscFlags() = 0;
};
