#include "platform/wmf/CAsfWriterInputPin.h"

#include "platform/wmf/CAsfWriterFilter.h"

CAsfWriterInputPin::CAsfWriterInputPin(CAsfWriterFilter* writer)
    : CBaseInputPin(writer, "Audio Input 01"), m_writer(writer) {}

HRESULT CAsfWriterInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) { return m_writer->CheckInputType(type); }

HRESULT CAsfWriterInputPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  return m_writer->PreferredInputType(type);
}

HRESULT CAsfWriterInputPin::Receive(IMediaSample* sample) {
  const HRESULT hr = CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  uint8_t* data = nullptr;
  sample->GetPointer(&data);
  const long length = sample->GetActualDataLength();
  if (data == nullptr || length <= 0) return S_OK;
  return m_writer->WriteAudio({data, static_cast<size_t>(length)});
}

HRESULT CAsfWriterInputPin::EndOfStream() {
  const HRESULT hr = CBaseInputPin::EndOfStream();
  if (hr != S_OK) return hr;
  return m_writer->EndOfStreamReached();
}
