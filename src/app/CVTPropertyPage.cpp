#include "app/CVTPropertyPage.h"

CVTPropertyPage::~CVTPropertyPage() { DestroyWindow(); }

void CVTPropertyPage::CreateWindow(QWidget* container) {
  m_window = new QWidget(container);
  CreateControls(m_window);
  OnInitDialog();
}

void CVTPropertyPage::DestroyWindow() { delete m_window.data(); }
