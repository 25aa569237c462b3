#include "mixer/ui/CAudSrcPage2.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "mixer/ui/CaptureDeviceFormats.h"
#include "platform/ui/MessageBox.h"
#include "settings/SettingsStore.h"

namespace {

struct ListControl {
  int id;
  const char* label;
  const char* tip;
};

// In the order of DeviceFormatChoices::Field.
constexpr std::array<ListControl, DeviceFormatChoices::kFieldCount> kListControls{{
    {CAudSrcPage2::kSampleRateList, "Sampling Frequency:", "Select sampling frequency. Higher values are better."},
    {CAudSrcPage2::kChannelsList, "Channels (Mono-1, Stereo-2, etc):",
     "Select number of channels (Stereo has two channels.)"},
    {CAudSrcPage2::kBitsList, "Bits per sample:", "Select bits per sample. Higher numbers are better."},
    {CAudSrcPage2::kLatencyList, "Latency (in milliseconds):",
     "Adjust latency. Higher values cause longer delay, but records better."},
}};

}  // namespace

CAudSrcPage2::CAudSrcPage2(SettingsStore& settings, std::function<int()> currentDevice)
    : CVTPropertyPage("Device Settings"), m_settings(settings), m_currentDevice(std::move(currentDevice)) {}

void CAudSrcPage2::CreateControls(QWidget* window) {
  auto* group = new QGroupBox("Audio Device Capabilties", window);
  auto* form = new QFormLayout(group);
  for (size_t field = 0; field < kListControls.size(); ++field) {
    m_lists[field] = new QComboBox(group);
    SetControlId(m_lists[field], kListControls[field].id);
    form->addRow(kListControls[field].label, m_lists[field]);
  }
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);
  layout->addStretch();
}

void CAudSrcPage2::OnInitDialog() {
  m_shownDevice = -1;
  m_loaded = false;
  LoadDevice(m_currentDevice());
  auto* tips = new CVtToolTipCtrl(Window());
  for (const ListControl& list : kListControls) tips->AddTool(Window(), list.id, list.tip);
  tips->Activate(m_settings.GetShowToolTips());
}

void CAudSrcPage2::OnSetActive() {
  if (m_currentDevice() != m_shownDevice) LoadDevice(m_currentDevice());
}

void CAudSrcPage2::LoadDevice(int device) {
  m_shownDevice = device;
  m_loaded = false;
  for (QComboBox* list : m_lists) list->clear();
  DeviceFormatChoices choices;
  const HRESULT hr = ReadCaptureDeviceFormats(device, &choices);
  if (hr == VFW_E_NOT_FOUND)
    MessageBox(nullptr, "An unexpected error occured while locating the correct audio device!", MB_ICONERROR);
  if (FAILED(hr)) return;
  m_choices = std::move(choices);
  DeviceSettings stored;
  m_settings.GetDeviceSettings(device, stored);
  const DeviceFormatChoices::Positions positions = m_choices.PositionsOf(stored);
  for (size_t field = 0; field < m_lists.size(); ++field) {
    for (uint32_t value : m_choices.List(static_cast<DeviceFormatChoices::Field>(field)))
      m_lists[field]->addItem(QString::number(value));
    m_lists[field]->setCurrentIndex(positions[field]);
  }
  m_loaded = true;
}

void CAudSrcPage2::OnApply() {
  if (!HasWindow() || !m_loaded) return;
  DeviceSettings stored;
  m_settings.GetDeviceSettings(m_shownDevice, stored);
  DeviceFormatChoices::Positions positions;
  for (size_t field = 0; field < m_lists.size(); ++field) positions[field] = m_lists[field]->currentIndex();
  m_settings.SetDeviceSettings(m_shownDevice, m_choices.Chosen(stored, positions));
}
