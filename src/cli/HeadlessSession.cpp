#include "cli/HeadlessSession.h"

#include <algorithm>

#include "engine/Messages.h"

namespace {

// Boxes break lines with "\r\n"; a terminal wants "\n".
std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

}  // namespace

HeadlessSession::HeadlessSession(SettingsStore& settings, std::ostream& err) : m_doc(settings, &m_frame), m_err(err) {
  m_previousHandler = SetMessageBoxHandler([this](HWND, const std::string& text, UINT flags) {
    const std::string shown = WithoutCarriageReturns(text);
    const std::string reason = WithoutCarriageReturns(GetErrorInfo());
    m_err << shown << "\n";
    if (!reason.empty() && shown.find(reason) == std::string::npos) m_err << reason << "\n";
    m_err.flush();
    ++m_boxes;
    if ((flags & MB_ICONERROR) == MB_ICONERROR) ++m_errorBoxes;
    return IDOK;
  });
}

HeadlessSession::~HeadlessSession() { SetMessageBoxHandler(std::move(m_previousHandler)); }

void HeadlessSession::Pump(const std::function<bool(const MSG&)>& done, const std::function<bool()>& tick,
                           std::chrono::milliseconds tickInterval) {
  auto nextTick = std::chrono::steady_clock::now();
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextTick) {
      if (tick && !tick()) return;
      nextTick = now + tickInterval;
    }
    MSG message;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now);
    if (!m_frame.Loop().GetMessage(message, std::max(wait, std::chrono::milliseconds(1)))) continue;
    m_doc.OnFrameMessage(message.message, message.wParam);
    if (done(message)) return;
  }
}

bool HeadlessSession::Load(const std::string& file, const std::function<bool()>& tick) {
  m_doc.SetCurrentFile(file);
  m_doc.ProcessFile(false);
  bool loaded = false;
  Pump(
      [&](const MSG& message) {
        loaded = message.message == WM_WAVEFORM_LOADED;
        return loaded || message.message == WM_LOAD_FAILED;
      },
      tick, std::chrono::milliseconds(250));
  return loaded;
}
