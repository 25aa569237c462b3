#pragma once
// One page of a property sheet. The page object lives as long as its owner (a dialog kept by
// the document); its window exists only between the first time the sheet shows its tab and
// the moment the sheet removes it or closes. A page's settings logic therefore asks
// HasWindow() before reading its controls back. User-interface thread only.

#include <QPointer>
#include <QWidget>
#include <string>

class CVTPropertySheet;

class CVTPropertyPage {
 public:
  explicit CVTPropertyPage(std::string caption) : m_caption(std::move(caption)) {}
  virtual ~CVTPropertyPage();
  CVTPropertyPage(const CVTPropertyPage&) = delete;
  CVTPropertyPage& operator=(const CVTPropertyPage&) = delete;

  const std::string& Caption() const { return m_caption; }
  bool HasWindow() const { return !m_window.isNull(); }
  QWidget* Window() const { return m_window.data(); }

 protected:
  // Builds the page's controls (with their ids, ControlId.h) and layout inside `window`.
  virtual void CreateControls(QWidget* window) = 0;
  // After CreateControls, once per window: fill lists, read settings, register tooltips.
  virtual void OnInitDialog() {}
  // Each time the page's tab becomes the current one, after OnInitDialog the first time.
  virtual void OnSetActive() {}

 private:
  friend class CVTPropertySheet;
  // Makes the window inside `container` and initialises it; called by the sheet.
  void CreateWindow(QWidget* container);
  void DestroyWindow();

  std::string m_caption;
  QPointer<QWidget> m_window;
};
