#include "platform/audio/MixerDeviceBase.h"

#include <algorithm>

namespace {

bool IsListControl(uint32_t controlType) {
  return controlType == MIXERCONTROL_CONTROLTYPE_MUX || controlType == MIXERCONTROL_CONTROLTYPE_MIXER;
}

HRESULT NotFound(const char* what) {
  SetErrorInfo(std::string("The mixer has no such ") + what + ".");
  return VFW_E_NOT_FOUND;
}

}  // namespace

MixerDeviceBase::MixerDeviceBase(std::string productName, MixerLayout layout, HWND notify)
    : m_productName(std::move(productName)), m_layout(std::move(layout)), m_notify(notify) {}

HRESULT MixerDeviceBase::GetLineInfoByComponentType(uint32_t componentType, MixerLine* line) {
  if (line == nullptr) return E_POINTER;
  const auto found = std::find_if(m_layout.lines.begin(), m_layout.lines.end(),
                                  [&](const MixerLine& l) { return l.componentType == componentType; });
  if (found == m_layout.lines.end()) return NotFound("line");
  *line = *found;
  return S_OK;
}

HRESULT MixerDeviceBase::GetLineInfoById(uint32_t lineId, MixerLine* line) {
  if (line == nullptr) return E_POINTER;
  const MixerLine* found = m_layout.LineById(lineId);
  if (found == nullptr) return NotFound("line");
  *line = *found;
  return S_OK;
}

HRESULT MixerDeviceBase::GetLineControlByType(uint32_t lineId, uint32_t controlType, MixerControl* control) {
  if (control == nullptr) return E_POINTER;
  const auto found = std::find_if(m_layout.controls.begin(), m_layout.controls.end(), [&](const MixerLayoutControl& c) {
    return c.lineId == lineId && c.control.controlType == controlType;
  });
  if (found == m_layout.controls.end()) return NotFound("control");
  *control = found->control;
  return S_OK;
}

HRESULT MixerDeviceBase::GetControlListText(uint32_t controlId, std::vector<MixerListText>* items) {
  if (items == nullptr) return E_POINTER;
  const MixerLayoutControl* found = m_layout.ControlById(controlId);
  if (found == nullptr || !IsListControl(found->control.controlType)) return NotFound("list control");
  *items = found->items;
  return S_OK;
}

HRESULT MixerDeviceBase::GetControlValues(uint32_t controlId, std::vector<uint32_t>* values) {
  if (values == nullptr) return E_POINTER;
  const MixerLayoutControl* found = m_layout.ControlById(controlId);
  if (found == nullptr) return NotFound("control");
  std::vector<uint32_t> read;
  const HRESULT hr = ReadControl(*found, &read);
  if (FAILED(hr)) return hr;
  *values = std::move(read);
  return S_OK;
}

HRESULT MixerDeviceBase::SetControlValues(uint32_t controlId, const std::vector<uint32_t>& values) {
  const MixerLayoutControl* found = m_layout.ControlById(controlId);
  if (found == nullptr) return NotFound("control");
  const MixerControl& control = found->control;
  const bool list = IsListControl(control.controlType);
  const size_t expected = list ? control.items : 1;
  if (values.size() != expected) {
    SetErrorInfo("The mixer control \"" + control.name + "\" takes " + std::to_string(expected) + " value(s), not " +
                 std::to_string(values.size()) + ".");
    return E_INVALIDARG;
  }
  if (!list && (values[0] < control.minimum || values[0] > control.maximum)) {
    SetErrorInfo("The mixer control \"" + control.name + "\" takes values from " + std::to_string(control.minimum) +
                 " to " + std::to_string(control.maximum) + ", not " + std::to_string(values[0]) + ".");
    return E_INVALIDARG;
  }
  if (control.controlType == MIXERCONTROL_CONTROLTYPE_MUX &&
      std::count_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; }) != 1) {
    SetErrorInfo("Exactly one input of \"" + control.name + "\" can be selected.");
    return E_INVALIDARG;
  }
  return WriteControl(*found, values);
}

void MixerDeviceBase::NotifyControlChange(uint32_t controlId) const {
  PostMessage(m_notify, MM_MIXM_CONTROL_CHANGE, Handle(), static_cast<LPARAM>(controlId));
}
