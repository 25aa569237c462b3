#include "app/ViewTestRig.h"

#include <QScrollBar>

#include "engine/Messages.h"

ViewTestRig::ViewTestRig(int width) {
  m_document = std::make_unique<CCorvoxDoc>(Settings(), &m_frame);
  m_document->EnableRecording(false);
  m_view = std::make_unique<CCorvoxView>(*m_document, &m_frame);
  m_view->resize(width, 200);
  m_view->show();
  PumpUntil([this] { return m_view->ClientWidth() == m_view->viewport()->width(); });
}

bool ViewTestRig::Load(const std::string& path) {
  m_document->SetCurrentFile(path);
  m_document->ProcessFile(false);
  PumpUntil([this] {
    Drain();
    return !m_document->IsLoading();
  });
  if (m_document->Duration() <= 0) return false;
  m_view->OnUpdate(CCorvoxView::kWaveformLoadedHint);
  return true;
}

int ViewTestRig::Drain(UINT counted) {
  int count = 0;
  MSG message;
  while (m_frame.Loop().GetMessage(message, std::chrono::milliseconds(0))) {
    if (message.message == counted) ++count;
    m_document->OnFrameMessage(message.message, message.wParam);
  }
  return count;
}
