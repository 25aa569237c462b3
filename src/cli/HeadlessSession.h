#pragma once
// The document driven without a window: a HeadlessFrame stands in for the main window, the
// frame's messages are handed to the document, and message boxes are written to the error
// stream (with the reason the failing call left, when the box's own text does not say it).
// Main thread only; the graphs' threads only post to the frame.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "engine/CorvoxDoc.h"
#include "platform/ui/HeadlessFrame.h"
#include "platform/ui/MessageBox.h"

class SettingsStore;

class HeadlessSession {
 public:
  HeadlessSession(SettingsStore& settings, std::ostream& err);
  ~HeadlessSession();
  HeadlessSession(const HeadlessSession&) = delete;
  HeadlessSession& operator=(const HeadlessSession&) = delete;

  CCorvoxDoc& Doc() { return m_doc; }
  HeadlessFrame& Frame() { return m_frame; }
  // Message boxes shown so far, and those of them with the error icon.
  int Boxes() const { return m_boxes; }
  int ErrorBoxes() const { return m_errorBoxes; }

  // Hands each message to the document, then asks `done` whether to stop; calls `tick` about
  // every `tickInterval` (and before the first wait), stopping when it returns false.
  void Pump(const std::function<bool(const MSG&)>& done, const std::function<bool()>& tick,
            std::chrono::milliseconds tickInterval);
  // Loads `file` as the Open command does and waits for the load's end; true when its
  // waveform was loaded. `tick` as for Pump.
  bool Load(const std::string& file, const std::function<bool()>& tick);

 private:
  HeadlessFrame m_frame;
  CCorvoxDoc m_doc;
  std::ostream& m_err;
  int m_boxes = 0;
  int m_errorBoxes = 0;
  MessageBoxHandler m_previousHandler;
};
