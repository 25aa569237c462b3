#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

// The guide is compiled into the application's static library, whose resources are not
// registered unless asked for. At file scope: the macro declares a global function.
static void RegisterGuide() { Q_INIT_RESOURCE(corvox); }

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
  RegisterGuide();
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
