#include "waveform/ui/StatusFont.h"

#include <QStringList>

const QFont& StatusFont() {
  static const QFont font = [] {
    QFont::insertSubstitutions(QStringLiteral("verdana"),
                               QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans")});
    QFont result(QStringLiteral("verdana"));
    result.setPointSizeF(11);
    result.setBold(true);
    result.setStyleStrategy(QFont::PreferAntialias);
    return result;
  }();
  return font;
}
