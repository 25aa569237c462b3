#include "app/CVTPropertySheet.h"

#include <QTabBar>
#include <QVBoxLayout>

#include "app/CVTPropertyPage.h"

CVTPropertySheet::~CVTPropertySheet() { delete m_window.data(); }

void CVTPropertySheet::AddPage(CVTPropertyPage* page) {
  m_pages.push_back(page);
  if (m_window) AddTab(page);
}

void CVTPropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  CVTPropertyPage* page = m_pages[static_cast<size_t>(index)];
  m_pages.erase(m_pages.begin() + index);
  if (!m_window) return;
  QWidget* container = m_window->widget(index);
  m_window->removeTab(index);
  page->DestroyWindow();
  delete container;
}

CVTPropertyPage* CVTPropertySheet::GetPage(int index) const {
  return index < 0 || index >= GetPageCount() ? nullptr : m_pages[static_cast<size_t>(index)];
}

QTabWidget* CVTPropertySheet::Create(QWidget* parent) {
  for (CVTPropertyPage* page : m_pages) page->DestroyWindow();
  delete m_window.data();
  m_window = new QTabWidget(parent);
  SetTabPadding(m_paddingHorizontal, m_paddingVertical);
  for (CVTPropertyPage* page : m_pages) AddTab(page);
  QObject::connect(m_window.data(), &QTabWidget::currentChanged, m_window.data(),
                   [this](int index) { OnCurrentChanged(index); });
  if (!m_pages.empty()) OnCurrentChanged(m_window->currentIndex());
  return m_window.data();
}

void CVTPropertySheet::SetTabPadding(int horizontal, int vertical) {
  m_paddingHorizontal = horizontal;
  m_paddingVertical = vertical;
  if (!m_window) return;
  m_window->tabBar()->setStyleSheet(
      QStringLiteral("QTabBar::tab { padding: %1px %2px; }").arg(vertical).arg(horizontal));
}

void CVTPropertySheet::SetTabCaption(int index, const std::string& caption) {
  if (m_window && index >= 0 && index < m_window->count()) m_window->setTabText(index, QString::fromStdString(caption));
}

void CVTPropertySheet::SetActivePage(int index) {
  if (!m_window || index < 0 || index >= m_window->count()) return;
  if (m_window->currentIndex() == index) {
    OnCurrentChanged(index);
  } else {
    m_window->setCurrentIndex(index);
  }
}

int CVTPropertySheet::GetActiveIndex() const { return m_window ? m_window->currentIndex() : -1; }

void CVTPropertySheet::AddTab(CVTPropertyPage* page) {
  // Each tab holds a container; the page's own window is made inside it when first shown.
  auto* container = new QWidget;
  auto* layout = new QVBoxLayout(container);
  layout->setContentsMargins(0, 0, 0, 0);
  m_window->addTab(container, QString::fromStdString(page->Caption()));
}

void CVTPropertySheet::OnCurrentChanged(int index) {
  CVTPropertyPage* page = GetPage(index);
  if (page == nullptr) return;
  if (!page->HasWindow()) {
    QWidget* container = m_window->widget(index);
    page->CreateWindow(container);
    container->layout()->addWidget(page->Window());
  }
  page->OnSetActive();
}
