#include "app/AppTestRig.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>
#include <cmath>
#include <filesystem>

#include "app/QtDialogSeams.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "support/WavBytes.h"

namespace {

// One QApplication for every test of the binary, made before the first test runs.
class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "corvox_app_tests";
    static char* argv[] = {name, nullptr};
    m_application = std::make_unique<QApplication>(argc, argv);
    SelectAudioBackend("virtual");
    RegisterAudioDecoders();
  }
  void TearDown() override { m_application.reset(); }

 private:
  std::unique_ptr<QApplication> m_application;
};

const auto* const g_environment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

AppTestRig::AppTestRig() : m_tmp("TMPDIR", m_folder.Path()) {
  std::filesystem::create_directories(MusicFolder());
  m_settings = std::make_unique<SettingsStore>(m_folder.File("corvox.reg"), MusicFolder());
}

AppTestRig::~AppTestRig() {
  // Boxes a test opened and left are closed with it.
  for (QWidget* widget : QApplication::topLevelWidgets()) widget->close();
  Pump(std::chrono::milliseconds(1));
}

std::string AppTestRig::WriteTone(const std::string& name, double seconds, uint32_t rateHz, int16_t amplitude) const {
  const auto frames = static_cast<uint32_t>(seconds * rateHz);
  std::vector<int32_t> values(frames);
  for (uint32_t n = 0; n < frames; ++n)
    values[n] = static_cast<int32_t>(amplitude * std::sin(2 * M_PI * 440.0 * n / rateHz));
  WavLayout layout;
  layout.channels = 1;
  layout.rateHz = rateHz;
  const std::string path = m_folder.File(name);
  ScratchFolder::Write(path, WavBytes(layout, PcmBytes(16, values)));
  return path;
}

bool AppTestRig::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeout.count()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

void AppTestRig::Pump(std::chrono::milliseconds duration) {
  QElapsedTimer clock;
  clock.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  } while (clock.elapsed() < duration.count());
}

void AppTestRig::Mouse(QWidget* widget, QEvent::Type type, QPoint point) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, point, widget->mapToGlobal(point), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void AppTestRig::KeepArtifact(const QImage& image, const std::string& name) {
  const QString folder = QDir::currentPath() + QStringLiteral("/app-test-artifacts");
  QDir().mkpath(folder);
  image.save(folder + '/' + QString::fromStdString(name));
}
