// vantro-audio-recorder [--audio pulse|alsa|virtual] [FILE]: the recorder's window.

#include <QApplication>
#include <csignal>

#include "app/CorvoxApp.h"
#include "app/QtDialogSeams.h"

int main(int argc, char** argv) {
  // Past a file-size limit, writes must fail (and the recording so far be kept) rather than
  // the process be killed.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantro Audio Recorder"));
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("vantro-audio-recorder"));
  InstallQtDialogSeams();
  CCorvoxApp app;
  if (!app.InitInstance(QApplication::arguments())) return app.ExitCode();
  return QApplication::exec();
}
