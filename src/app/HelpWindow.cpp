#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
  setWindowTitle(tr("Vantro Audio Recorder Help"));
  m_browser->setOpenExternalLinks(true);
  m_browser->setSource(QUrl(QStringLiteral("qrc:/help/guide.html")));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_browser);
  layout->addWidget(buttons);
  resize(520, 560);
}
