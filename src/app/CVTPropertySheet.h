#pragma once
// A tabbed sheet of property pages embedded in a dialog. The sheet object lives as long as
// its dialog object and keeps its page list between showings; its window (a QTabWidget) is
// made for each showing with Create and goes with the dialog window. A page gets its window
// the first time its tab becomes current, and loses it when removed. User-interface thread
// only.

#include <QPointer>
#include <QTabWidget>
#include <string>
#include <vector>

class CVTPropertyPage;

class CVTPropertySheet {
 public:
  CVTPropertySheet() = default;
  ~CVTPropertySheet();
  CVTPropertySheet(const CVTPropertySheet&) = delete;
  CVTPropertySheet& operator=(const CVTPropertySheet&) = delete;

  // Appends a page (not owned) as the last tab; with a window, its tab appears at once.
  void AddPage(CVTPropertyPage* page);
  // Removes the page at `index` and destroys its window; out of range does nothing.
  void RemovePage(int index);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CVTPropertyPage* GetPage(int index) const;

  // Makes the sheet's window as a child of `parent` with a tab per page and shows the first
  // page. Any earlier window of the sheet is destroyed first.
  QTabWidget* Create(QWidget* parent);
  QTabWidget* Window() const { return m_window.data(); }

  // Space around each tab's caption, in pixels.
  void SetTabPadding(int horizontal, int vertical);
  void SetTabCaption(int index, const std::string& caption);
  // Makes the tab current (creating its page's window when it has none).
  void SetActivePage(int index);
  int GetActiveIndex() const;

 private:
  void AddTab(CVTPropertyPage* page);
  void OnCurrentChanged(int index);

  std::vector<CVTPropertyPage*> m_pages;
  QPointer<QTabWidget> m_window;
  int m_paddingHorizontal = 0;
  int m_paddingVertical = 0;
};
