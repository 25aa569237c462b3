#include "mixer/ui/CAudSrcPage1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "app/ProductInfo.h"
#include "app/WindowMessageEvent.h"
#include "engine/Messages.h"
#include "platform/audio/MixerTypes.h"
#include "platform/ui/MessageBox.h"
#include "settings/SettingsStore.h"

CAudSrcPage1::CAudSrcPage1(SettingsStore& settings, QObject* dialog)
    : CVTPropertyPage("Audio Device"),
      m_settings(settings),
      m_dialog(dialog),
      m_notify([this](UINT message, WPARAM wParam, LPARAM lParam) { OnMixerMessage(message, wParam, lParam); }) {}

void CAudSrcPage1::CreateControls(QWidget* window) {
  auto* deviceGroup = new QGroupBox("Select Audio Device", window);
  m_devices = new QComboBox(deviceGroup);
  SetControlId(m_devices, kDeviceList);
  auto* deviceLayout = new QVBoxLayout(deviceGroup);
  deviceLayout->addWidget(m_devices);

  auto* portGroup = new QGroupBox("Select Port and Set Volume", window);
  m_ports = new QComboBox(portGroup);
  SetControlId(m_ports, kPortList);
  m_volume = new QSlider(Qt::Horizontal, portGroup);
  SetControlId(m_volume, kVolumeSlider);
  m_volume->setTickPosition(QSlider::TicksBelow);
  auto* portLayout = new QGridLayout(portGroup);
  portLayout->addWidget(m_ports, 0, 0, 1, 2);
  portLayout->addWidget(m_volume, 1, 0, 1, 2);
  portLayout->addWidget(new QLabel("Min", portGroup), 2, 0, Qt::AlignLeft);
  portLayout->addWidget(new QLabel("Max", portGroup), 2, 1, Qt::AlignRight);

  auto* layout = new QVBoxLayout(window);
  layout->addWidget(deviceGroup);
  layout->addWidget(portGroup);
  layout->addStretch();

  QObject::connect(m_devices, &QComboBox::currentIndexChanged, &m_notify, [this](int index) { OnDeviceChanged(index); });
  QObject::connect(m_ports, &QComboBox::currentIndexChanged, &m_notify, [this](int index) { OnPortChanged(index); });
  QObject::connect(m_volume, &QSlider::valueChanged, &m_notify, [this](int position) { OnVolumeMoved(position); });
  QObject::connect(window, &QObject::destroyed, &m_notify, [this] { m_session.reset(); });
}

void CAudSrcPage1::OnInitDialog() {
  m_session = std::make_unique<AudioSourceSession>(m_settings);
  {
    const QSignalBlocker blocker(m_devices);
    for (const std::string& name : m_session->DeviceNames()) m_devices->addItem(QString::fromStdString(name));
  }
  int device = 0;
  m_settings.GetCurrentDevice(device);
  if (!OpenDevice(device)) {
    if (auto* dialog = qobject_cast<QDialog*>(Window()->window())) QTimer::singleShot(0, dialog, &QDialog::reject);
  }
  SendDeviceChosen(device);

  auto* tips = new CVtToolTipCtrl(Window());
  tips->AddTool(Window(), kDeviceList, "Select the audio hardware, if you have more than one of them.");
  tips->AddTool(Window(), kPortList, "Select the audio port. e.g., Microphone, line-in etc.\nChanges are system wide.");
  tips->AddTool(Window(), kVolumeSlider, "Adjust the recording volume of selected port.\nChanges are system wide.");
  tips->Activate(m_settings.GetShowToolTips());
}

void CAudSrcPage1::OnApply() {
  if (!HasWindow() || m_devices->currentIndex() < 0) return;
  m_settings.SetCurrentDevice(m_devices->currentIndex());
}

bool CAudSrcPage1::OpenDevice(int index) {
  const AudioSourceSession::OpenResult result = m_session->OpenDevice(&m_notify, index);
  ShowPorts();
  {
    const QSignalBlocker blocker(m_devices);
    m_devices->setCurrentIndex(index >= 0 && index < m_devices->count() ? index : -1);
  }
  switch (result) {
    case AudioSourceSession::OpenResult::NoSelectedPort:
      ShowVolume();
      MessageBox(nullptr,
                 std::string("Could not initialize the audio hardware. Please report this to ") + kSupportAddress,
                 MB_ICONERROR);
      return false;
    case AudioSourceSession::OpenResult::NoPorts:
      ShowVolume();
      MessageBox(nullptr, "The selected device has no recording facilities.", MB_OK);
      break;
    case AudioSourceSession::OpenResult::Ready:
      ShowSelectedPort(m_session->InitialPort());
      ShowVolume();
      break;
  }
  SendDeviceChosen(index);
  return true;
}

void CAudSrcPage1::SendDeviceChosen(int index) {
  WindowMessageEvent message(WM_DEVICE_CHOSEN, static_cast<WPARAM>(index), 0);
  QCoreApplication::sendEvent(m_dialog, &message);
}

void CAudSrcPage1::OnDeviceChanged(int index) {
  if (index < 0) return;
  OpenDevice(index);
  SendDeviceChosen(index);
}

void CAudSrcPage1::OnPortChanged(int index) {
  if (index < 0) return;
  m_session->SelectPort(index);
  ShowVolume();
}

void CAudSrcPage1::OnVolumeMoved(int position) { m_session->SetVolume(position); }

void CAudSrcPage1::OnMixerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MM_MIXM_CONTROL_CHANGE || !HasWindow() || !m_session) return;
  switch (m_session->ClassifyChange(wParam, lParam)) {
    case AudioSourceSession::Change::Selection:
      ShowSelectedPort(m_session->FollowSelectedPort());
      ShowVolume();
      break;
    case AudioSourceSession::Change::Volume:
      ShowVolume();
      break;
    case AudioSourceSession::Change::Other:
      break;
  }
}

void CAudSrcPage1::ShowPorts() {
  const QSignalBlocker blocker(m_ports);
  m_ports->clear();
  for (const AudioMixer::Port& port : m_session->Ports()) m_ports->addItem(QString::fromStdString(port.name));
  m_ports->setCurrentIndex(-1);
}

void CAudSrcPage1::ShowSelectedPort(int port) {
  const QSignalBlocker blocker(m_ports);
  m_ports->setCurrentIndex(port >= 0 && port < m_ports->count() ? port : -1);
}

void CAudSrcPage1::ShowVolume() {
  const AudioSourceSession::VolumeState state = m_session->ReadVolume();
  const QSignalBlocker blocker(m_volume);
  m_volume->setEnabled(state.enabled);
  m_volume->setRange(state.minimum, state.maximum);
  m_volume->setTickInterval(state.tickInterval);
  // A change that arrives while the user drags would pull the handle from under the mouse.
  if (!(state.enabled && m_volume->isSliderDown())) m_volume->setValue(state.position);
}
