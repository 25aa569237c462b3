#pragma once
// What the desktop application's tests share: a QApplication on the offscreen platform for the
// whole run, the virtual audio devices, and per test a settings store, a temporary folder and a
// music folder of their own, with ways to wait for the window's messages and timers.

#include <QEvent>
#include <QImage>
#include <QPoint>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "settings/SettingsStore.h"
#include "support/ScopedEnvironment.h"
#include "support/ScratchFolder.h"

class QWidget;

class AppTestRig {
 public:
  AppTestRig();
  ~AppTestRig();

  SettingsStore& Settings() { return *m_settings; }
  const ScratchFolder& Folder() const { return m_folder; }
  std::string MusicFolder() const { return m_folder.File("music"); }

  // A 16-bit mono WAV file of a 440 Hz tone, by default at half scale.
  std::string WriteTone(const std::string& name, double seconds, uint32_t rateHz = 8000,
                        int16_t amplitude = 16000) const;

  // Processes events until `done` holds; false when `timeout` passed first.
  static bool PumpUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
  // Processes events for about `duration`.
  static void Pump(std::chrono::milliseconds duration);
  // A left-button press, move (button held) or release at `point` of `widget`.
  static void Mouse(QWidget* widget, QEvent::Type type, QPoint point);
  // Keeps the image as a test artifact (in the build's test folder, not in the repository).
  static void KeepArtifact(const QImage& image, const std::string& name);

 private:
  ScratchFolder m_folder;
  ScopedEnvironment m_tmp;
  std::unique_ptr<SettingsStore> m_settings;
};
