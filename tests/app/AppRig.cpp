#include "app/AppRig.h"

#include "app/FileInfoBar.h"

AppRig::AppRig() : m_app(std::make_unique<CCorvoxApp>(Settings(), [this] { return now; })) {}

AppRig::~AppRig() { m_app.reset(); }

bool AppRig::Start(const QStringList& arguments) {
  return m_app->InitInstance(QStringList{QStringLiteral("vantro-audio-recorder")} + arguments);
}

bool AppRig::StartRecordingWav() {
  Settings().RunStartupPass();
  Settings().SetFormat(203);
  return Start();
}

void AppRig::Restart() {
  m_app.reset();
  m_app = std::make_unique<CCorvoxApp>(Settings(), [this] { return now; });
}

bool AppRig::WaitForLoad() {
  return PumpUntil([this] {
    return !Document().IsLoading() && !Frame().Timers().IsRunning(1001) && !Frame().FileBar()->FileName().isEmpty();
  });
}
