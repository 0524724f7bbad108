#include "app/icon.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace pagewick {

QImage DrawIcon() {
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);

  // The pages, seen from below the cover.
  painter.setPen(QPen(QColor(0x8a, 0x7f, 0x6a), 1));
  painter.setBrush(QColor(0xf6, 0xf1, 0xe2));
  painter.drawRoundedRect(QRectF(7.5, 22.5, 19, 6), 1.5, 1.5);
  painter.setPen(QPen(QColor(0xc9, 0xbf, 0xa8), 1));
  painter.drawLine(QPointF(9, 24.5), QPointF(25, 24.5));
  painter.drawLine(QPointF(9, 26.5), QPointF(25, 26.5));

  // The cover with its spine.
  painter.setPen(QPen(QColor(0x1b, 0x3f, 0x6e), 1));
  painter.setBrush(QColor(0x2f, 0x6d, 0xb5));
  painter.drawRoundedRect(QRectF(4.5, 2.5, 22, 22), 2, 2);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1e, 0x4f, 0x8a));
  painter.drawRect(QRectF(5, 3, 4, 21));
  // A title plate on the cover.
  painter.setBrush(QColor(0xf6, 0xf1, 0xe2));
  painter.drawRoundedRect(QRectF(12, 7, 11, 5), 1, 1);

  // The download badge: a green disc with a white arrow pointing down.
  painter.setPen(QPen(QColor(0x1d, 0x7a, 0x34), 1));
  painter.setBrush(QColor(0x2e, 0xad, 0x4b));
  painter.drawEllipse(QPointF(23, 22), 8, 8);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(21.2, 16, 3.6, 6));
  painter.drawPolygon(QPolygonF({QPointF(18, 21.5), QPointF(28, 21.5), QPointF(23, 27.5)}));

  painter.end();
  return image;
}

}  // namespace pagewick
