#pragma once
// The whole application on the virtual devices: the application object with a test clock and
// settings store, its main window, document and view, and the message boxes it showed.

#include <memory>

#include "app/AppTestRig.h"
#include "app/CorvoxApp.h"
#include "app/MainFrame.h"
#include "engine/CorvoxDoc.h"
#include "support/MessageBoxCapture.h"
#include "waveform/ui/CorvoxView.h"

class AppRig : public AppTestRig {
 public:
  static constexpr int64_t kNow = 1'700'000'000;

  AppRig();
  ~AppRig();

  // Starts the application with these arguments after the program's name; InitInstance's result.
  bool Start(const QStringList& arguments = {QStringLiteral("--audio"), QStringLiteral("virtual")});

  CCorvoxApp& App() { return *m_app; }
  CMainFrame& Frame() { return *m_app->MainFrame(); }
  CCorvoxDoc& Document() { return *m_app->Document(); }
  CCorvoxView& View() { return *m_app->MainFrame()->View(); }
  const MessageBoxCapture& Boxes() const { return m_boxes; }

  // Starts on the virtual devices with WAV as the export format (the quickest to record).
  bool StartRecordingWav();
  // Ends the application and makes a new one over the same settings, as the next start.
  void Restart();
  // Waits until the document has loaded a file and the window shows it.
  bool WaitForLoad();

  int64_t now = kNow;

 private:
  ScopedEnvironment m_pace{"CORVOX_VIRTUAL_PACE", "1"};
  MessageBoxCapture m_boxes;
  std::unique_ptr<CCorvoxApp> m_app;
};
