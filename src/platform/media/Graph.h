#pragma once
// Graph interfaces: building (IFilterGraph, IGraphBuilder), control (IMediaControl) and
// events (IMediaEventEx). All are called on the thread that owns the graph.

#include <memory>
#include <string>
#include <vector>

#include "platform/media/Filter.h"
#include "platform/ui/Window.h"

struct IFilterGraph : virtual IUnknown {
  // A taken name gets a " 0001"-style suffix and the result VFW_S_DUPLICATE_NAME.
  virtual HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) = 0;
  virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
  virtual std::vector<std::shared_ptr<IBaseFilter>> Filters() = 0;
  virtual HRESULT FindFilterByName(const std::string& name, std::shared_ptr<IBaseFilter>* filter) = 0;
  virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT Disconnect(IPin* pin) = 0;
};

constexpr HRESULT VFW_S_DUPLICATE_NAME = MakeResult(0x0004022D);

struct IGraphBuilder : IFilterGraph {
  // Direct connection, else through registered converters.
  virtual HRESULT Connect(IPin* output, IPin* input) = 0;
  // Connects the output pin to the default renderer for its type.
  virtual HRESULT Render(IPin* output) = 0;
  // Adds an asynchronous file source holding `path`, named `name` (the path when empty). A
  // file that cannot be opened fails with the system's code and a readable text.
  virtual HRESULT AddSourceFilter(const std::string& path, const std::string& name,
                                  std::shared_ptr<IBaseFilter>* filter) = 0;
  // Builds the graph that plays the file: its source, the parsers and decoders it needs, the
  // default renderer. On failure nothing of it stays in the graph and the reason is readable
  // through GetErrorInfo.
  virtual HRESULT RenderFile(const std::string& path) = 0;
};

struct IMediaControl : virtual IUnknown {
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(long timeoutMs, FILTER_STATE* state) = 0;
};

struct IMediaEventEx : virtual IUnknown {
  // Each queued event posts `message` to `window` with lParam = `instance`.
  virtual HRESULT SetNotifyWindow(HWND window, UINT message, LPARAM instance) = 0;
  // E_ABORT when no event arrives within the time-out. The event's error text (the reporting
  // thread's, for an event whose param1 is a failing result) becomes the calling thread's
  // error info: GetErrorInfo() right after GetEvent says why, empty when the event has no text.
  virtual HRESULT GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long timeoutMs) = 0;
  virtual HRESULT FreeEventParams(long eventCode, intptr_t param1, intptr_t param2) = 0;
};
