#include "engine/OggDecoding.h"

#include "engine/GraphHelpers.h"
#include "filters/OggSplitter.h"
#include "filters/VorbisDec.h"

HRESULT AddOggDecoder(IGraphBuilder* graph, IBaseFilter* source, std::shared_ptr<IBaseFilter>* decoder) {
  if (graph == nullptr || source == nullptr || decoder == nullptr) return E_POINTER;
  std::shared_ptr<IBaseFilter> splitter = std::make_shared<COggSplitter>();
  HRESULT hr = graph->AddFilter(splitter, "Splitter");
  if (FAILED(hr)) return hr;
  hr = E_OUTOFMEMORY;
  std::shared_ptr<IBaseFilter> vorbis = std::make_shared<CVorbisDec>(&hr);
  if (FAILED(hr)) return hr;
  hr = graph->AddFilter(vorbis, "Decoder");
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(graph, source, splitter.get());
  if (FAILED(hr)) return hr;
  hr = ConnectFilters(graph, splitter.get(), vorbis.get());
  if (FAILED(hr)) return hr;
  *decoder = vorbis;
  return S_OK;
}
