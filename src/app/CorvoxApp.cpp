#include "app/CorvoxApp.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <random>

#include "app/AppUpdateCheck.h"
#include "app/CGeneralDlg.h"
#include "app/FrameIds.h"
#include "app/MainFrame.h"
#include "app/SignalCloser.h"
#include "app/UpdateSchedule.h"
#include "app/WindowTimers.h"
#include "engine/CorvoxDoc.h"
#include "formats/COptionsDlg.h"
#include "mixer/AudioHardwareCheck.h"
#include "mixer/AudioMixer.h"
#include "mixer/ui/CAudioSrcDlg.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/media/HResult.h"
#include "platform/ui/MessageBox.h"
#include "platform/wmf/AsfWriterRegistration.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kUsage = "usage: vantro-audio-recorder [--audio pulse|alsa|virtual] [FILE]\n";

int64_t SystemNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

CCorvoxApp::CCorvoxApp()
    : m_ownSettings(std::make_unique<SettingsStore>()), m_settings(*m_ownSettings), m_now(SystemNow) {}

CCorvoxApp::CCorvoxApp(SettingsStore& settings, std::function<int64_t()> now)
    : m_settings(settings), m_now(std::move(now)) {}

CCorvoxApp::~CCorvoxApp() {
  m_signalCloser.reset();
  if (m_frame) m_frame->SetUpdateCheck(nullptr);
  m_updateCheck.reset();
  if (m_frame) m_frame->DetachDocument();
  m_document.reset();
  m_frame.reset();
}

bool CCorvoxApp::InitInstance(const QStringList& arguments) {
  QString audio;
  QString file;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      std::fputs(kUsage, stdout);
      return false;
    }
    if (argument == QLatin1String("--audio") && i + 1 < arguments.size()) {
      audio = arguments[++i];
    } else if (argument.startsWith('-') || !file.isEmpty()) {
      std::fputs(kUsage, stderr);
      m_exitCode = 2;
      return false;
    } else {
      file = argument;
    }
  }
  if (!SelectAudio(audio)) return false;

  m_settings.RunStartupPass();
  AudioMixer mixer(CurrentAudioBackend());
  if (!AudioHardwarePresent(mixer)) {
    MessageBox(nullptr, kNoAudioHardwareMessage, MB_ICONERROR);
    m_exitCode = 1;
    return false;
  }

  m_frame = std::make_unique<CMainFrame>(m_settings);
  m_document = std::make_unique<CCorvoxDoc>(m_settings, m_frame.get());
  m_document->SetDialog(ConfigurationDialog::ExportFormats, std::make_unique<COptionsDlg>(m_settings, m_frame.get()));
  m_document->SetDialog(ConfigurationDialog::AudioSource, std::make_unique<CAudioSrcDlg>(m_settings, m_frame.get()));
  m_document->SetDialog(ConfigurationDialog::General, std::make_unique<CGeneralDlg>(m_settings, m_frame.get()));
  m_frame->AttachDocument(m_document.get());
  m_updateCheck = std::make_unique<AppUpdateCheck>(m_settings, m_frame->Timers(), m_frame.get());
  m_frame->SetUpdateCheck(m_updateCheck.get());
  m_signalCloser = std::make_unique<SignalCloser>([frame = m_frame.get()] { frame->close(); });
  m_frame->show();
  m_frame->repaint();
  if (!file.isEmpty()) {
    m_document->SetCurrentFile(file.toStdString());
    m_document->ProcessFile(false);
  }

  MarkFirstRun();
  ScheduleUpdateCheck();
  return true;
}

bool CCorvoxApp::SelectAudio(const QString& choice) {
  const bool chosen =
      choice.isEmpty() ? CurrentAudioBackend() != nullptr : SelectAudioBackend(choice.toStdString()) != nullptr;
  if (!chosen) {
    std::fprintf(stderr, "vantro-audio-recorder: %s\n", GetErrorInfo().c_str());
    m_exitCode = 2;
    return false;
  }
  RegisterAudioCompressors();
  RegisterAudioDecoders();
  RegisterAsfWriter();
  return true;
}

void CCorvoxApp::MarkFirstRun() {
  uint32_t marker = 0;
  if (m_settings.GetVirgin(marker)) return;
  m_settings.SetVirgin(std::random_device()());
  m_settings.SetLastChecked(static_cast<uint32_t>(m_now()));
}

void CCorvoxApp::ScheduleUpdateCheck() {
  if (!m_settings.GetAutoUpdate()) return;
  uint32_t lastChecked = 0;
  m_settings.GetLastChecked(lastChecked);
  const int64_t now = m_now();
  switch (PlanUpdateCheck(lastChecked, now)) {
    case UpdateCheckPlan::Schedule:
      m_frame->Timers().Set(kUpdateCheckTimer, kUpdateCheckDelayMs);
      break;
    case UpdateCheckPlan::ResetClock:
      m_settings.SetLastChecked(static_cast<uint32_t>(now));
      break;
    case UpdateCheckPlan::None:
      break;
  }
}
