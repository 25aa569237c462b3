#pragma once
// A view on its own over a document whose main window has no pixels: the document's messages
// are drained by hand and a load is waited for, so the view's geometry can be tested at the
// sizes the examples use.

#include <memory>
#include <string>

#include "app/AppTestRig.h"
#include "engine/CorvoxDoc.h"
#include "platform/ui/HeadlessFrame.h"
#include "waveform/ui/CorvoxView.h"

class ViewTestRig : public AppTestRig {
 public:
  // A view `width` pixels wide showing the document.
  explicit ViewTestRig(int width = 500);

  // Loads the file into the document and lays the view out for it; false when the load failed.
  bool Load(const std::string& path);
  // Hands the document the messages waiting in the main window's queue; counts those with the
  // number `counted` (0: none).
  int Drain(UINT counted = 0);

  CCorvoxDoc& Document() { return *m_document; }
  CCorvoxView& View() { return *m_view; }
  HeadlessFrame& Frame() { return m_frame; }

 private:
  HeadlessFrame m_frame;
  std::unique_ptr<CCorvoxDoc> m_document;
  std::unique_ptr<CCorvoxView> m_view;
};
