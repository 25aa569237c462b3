#pragma once
// Creating platform objects by class id: the filter graph, the infinite tee, the file writer,
// and any filter registered with RegisterFilter (the ASF writer, codecs ...).

#include <memory>

#include "platform/media/Guid.h"
#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

constexpr HRESULT REGDB_E_CLASSNOTREG = MakeResult(0x80040154);

HRESULT CoCreateInstance(REFCLSID clsid, std::shared_ptr<IUnknown>* object);

// Creates the object and asks it for interface I (E_NOINTERFACE when it has none).
template <class I>
HRESULT CoCreateInstance(REFCLSID clsid, std::shared_ptr<I>* object) {
  if (object == nullptr) return E_POINTER;
  std::shared_ptr<IUnknown> created;
  const HRESULT hr = CoCreateInstance(clsid, &created);
  if (FAILED(hr)) return hr;
  *object = QueryInterface<I>(created);
  return *object ? S_OK : E_NOINTERFACE;
}
