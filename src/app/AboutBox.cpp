#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/HyperLink.h"
#include "app/ProductInfo.h"
#include "app/ProjectIcons.h"
#include "update/UpdateServer.h"

namespace {

// Colour references of the platform are 0x00BBGGRR.
QColor FromColourRef(unsigned reference) {
  return QColor(reference & 0xFF, (reference >> 8) & 0xFF, (reference >> 16) & 0xFF);
}

}  // namespace

CAboutBox::CAboutBox(QWidget* parent)
    : QDialog(parent),
      m_version(new QLabel(QStringLiteral("Product Version: ") + QString::fromStdString(ProductVersion()), this)),
      m_link(new CHyperLink(tr("Vantro Audio Recorder Website"), QUrl(QString::fromUtf8(kProductWebsite)), this)) {
  setWindowTitle(tr("About Vantro Audio Recorder"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap::fromImage(ApplicationIconImage(48)));
  m_link->SetColours(FromColourRef(0x395d2f), FromColourRef(0x800080), FromColourRef(0xeda72f));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(new QLabel(QString::fromUtf8(kProductName), this));
  text->addWidget(m_version);
  text->addWidget(m_link);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(text);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

QString CAboutBox::VersionText() const { return m_version->text(); }
