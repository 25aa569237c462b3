#pragma once
// The application object: opens the settings store and brings it into shape, refuses to run
// without a mixer device, makes the main window, the document and the view, opens a file named
// on the command line, and decides whether an update check is due. User-interface thread only.
//
// Command line: [--audio pulse|alsa|virtual] [FILE].

#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class AppUpdateCheck;
class CCorvoxDoc;
class CMainFrame;
class SettingsStore;
class SignalCloser;

class CCorvoxApp {
 public:
  // The current user's settings and the system clock.
  CCorvoxApp();
  // For tests: the given settings store and a clock in seconds since 1970-01-01 UTC.
  CCorvoxApp(SettingsStore& settings, std::function<int64_t()> now);
  ~CCorvoxApp();
  CCorvoxApp(const CCorvoxApp&) = delete;
  CCorvoxApp& operator=(const CCorvoxApp&) = delete;

  // The start-up sequence; false when the program must not run, with ExitCode() saying why
  // (1: no usable audio hardware, 2: a wrong command line or audio system).
  bool InitInstance(const QStringList& arguments);
  int ExitCode() const { return m_exitCode; }

  CMainFrame* MainFrame() const { return m_frame.get(); }
  CCorvoxDoc* Document() const { return m_document.get(); }

 private:
  bool SelectAudio(const QString& choice);
  void MarkFirstRun();
  void ScheduleUpdateCheck();

  std::unique_ptr<SettingsStore> m_ownSettings;
  SettingsStore& m_settings;
  std::function<int64_t()> m_now;
  std::unique_ptr<CMainFrame> m_frame;
  std::unique_ptr<CCorvoxDoc> m_document;
  std::unique_ptr<AppUpdateCheck> m_updateCheck;
  std::unique_ptr<SignalCloser> m_signalCloser;
  int m_exitCode = 0;
};
