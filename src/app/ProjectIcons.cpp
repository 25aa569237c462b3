#include "app/ProjectIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {

struct Palette {
  QColor fill;
  QColor edge;
};

Palette PaletteFor(QColor colour, bool disabled) {
  if (disabled) return {QColor(190, 190, 190), QColor(140, 140, 140)};
  return {colour, colour.darker(150)};
}

QImage Blank(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// Draws a picture designed on a `designSize` square at `size` pixels.
void PrepareScaled(QPainter& painter, int size, int designSize) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(static_cast<double>(size) / designSize, static_cast<double>(size) / designSize);
}

void Prepare(QPainter& painter, const Palette& palette) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(palette.edge, 1.5));
  painter.setBrush(palette.fill);
}

void DrawRecord(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  painter.drawEllipse(QRectF(5, 5, 22, 22));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 110));
  painter.drawEllipse(QRectF(10, 9, 7, 5));
}

void DrawPlay(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  painter.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(27, 16), QPointF(8, 28)}));
}

void DrawPause(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  painter.drawRoundedRect(QRectF(7, 5, 7, 22), 1.5, 1.5);
  painter.drawRoundedRect(QRectF(18, 5, 7, 22), 1.5, 1.5);
}

void DrawStop(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  painter.drawRoundedRect(QRectF(6, 6, 20, 20), 2, 2);
}

void DrawSettings(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  QPainterPath gear;
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth * 2; ++i) {
    const double angle = i * M_PI / kTeeth;
    const double radius = i % 2 == 0 ? 13.5 : 10;
    const double spread = M_PI / kTeeth / 2.5;
    const QPointF a(16 + radius * qCos(angle - spread), 16 + radius * qSin(angle - spread));
    const QPointF b(16 + radius * qCos(angle + spread), 16 + radius * qSin(angle + spread));
    if (i == 0)
      gear.moveTo(a);
    else
      gear.lineTo(a);
    gear.lineTo(b);
  }
  gear.closeSubpath();
  gear.addEllipse(QPointF(16, 16), 4.5, 4.5);
  painter.drawPath(gear);
}

void DrawHelp(QPainter& painter, const Palette& palette) {
  Prepare(painter, palette);
  painter.drawEllipse(QRectF(3, 3, 26, 26));
  QPen mark(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(mark);
  painter.setBrush(Qt::NoBrush);
  QPainterPath hook;
  hook.arcMoveTo(QRectF(11, 7.5, 10, 9), 160);
  hook.arcTo(QRectF(11, 7.5, 10, 9), 160, -220);
  hook.lineTo(16, 18.5);
  painter.drawPath(hook);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(16, 23.5), 2, 2);
}

struct ToolbarPicture {
  void (*draw)(QPainter&, const Palette&);
  QColor colour;
};

// In the order of ToolbarImage.
const ToolbarPicture kToolbarPictures[] = {
    {DrawRecord, QColor(214, 40, 40)}, {DrawPlay, QColor(46, 160, 67)},       {DrawPause, QColor(40, 70, 150)},
    {DrawStop, QColor(40, 70, 150)},   {DrawSettings, QColor(110, 120, 135)}, {DrawHelp, QColor(30, 120, 210)},
};

}  // namespace

QImage ToolbarImageOf(ToolbarImage image, bool disabled) {
  QImage result = Blank(kToolbarImageSize);
  QPainter painter(&result);
  const ToolbarPicture& picture = kToolbarPictures[static_cast<int>(image)];
  picture.draw(painter, PaletteFor(picture.colour, disabled));
  return result;
}

QIcon ToolbarIcon(ToolbarImage image) {
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(ToolbarImageOf(image, false)), QIcon::Normal);
  icon.addPixmap(QPixmap::fromImage(ToolbarImageOf(image, true)), QIcon::Disabled);
  return icon;
}

QImage SpeakerImage(int size) {
  QImage result = Blank(size);
  QPainter painter(&result);
  PrepareScaled(painter, size, 32);
  painter.setPen(QPen(QColor(40, 50, 70), 1.5));
  painter.setBrush(QColor(70, 80, 100));
  painter.drawPolygon(
      QPolygonF({QPointF(4, 12), QPointF(10, 12), QPointF(17, 5), QPointF(17, 27), QPointF(10, 20), QPointF(4, 20)}));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(40, 50, 70), 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(QRectF(13, 10, 8, 12), -50 * 16, 100 * 16);
  painter.drawArc(QRectF(12, 6, 14, 20), -50 * 16, 100 * 16);
  return result;
}

QImage ApplicationIconImage(int size) {
  QImage result = Blank(size);
  QPainter painter(&result);
  PrepareScaled(painter, size, 64);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 139));
  painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  painter.setBrush(QColor(203, 225, 252));
  painter.drawRoundedRect(QRectF(7, 12, 50, 32), 5, 5);
  QPainterPath wave;
  wave.moveTo(9, 28);
  constexpr double kHeights[] = {4, 9, 3, 12, 6, 10, 2, 8, 11, 5, 7, 3};
  for (int i = 0; i < 12; ++i) {
    const double x = 11 + i * 3.8;
    wave.lineTo(x, 28 - kHeights[i]);
    wave.lineTo(x + 1.9, 28 + kHeights[i]);
  }
  wave.lineTo(55, 28);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(wave);
  painter.setPen(QPen(Qt::white, 2));
  painter.setBrush(QColor(214, 40, 40));
  painter.drawEllipse(QPointF(32, 52), 6.5, 6.5);
  return result;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}
