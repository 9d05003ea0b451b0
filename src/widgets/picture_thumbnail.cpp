#include "widgets/picture_thumbnail.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace sleevemaster {

QPixmap PictureThumbnail(std::string_view bytes, int side) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || side <= 0)
    return {};
  // Decoded no larger than the view needs (a JPEG reader skips the detail), turned upright.
  if (reader.transformation() & QImageIOHandler::TransformationRotate90)
    size.transpose();
  QSize scaled = size.scaled(side, side, Qt::KeepAspectRatioByExpanding);
  if (reader.transformation() & QImageIOHandler::TransformationRotate90)
    scaled.transpose();
  reader.setScaledSize(scaled);
  const QImage image = reader.read();
  if (image.isNull())
    return {};
  QImage square(side, side, QImage::Format_RGB32);
  square.fill(Qt::white);
  QPainter painter(&square);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSize shown = image.size().scaled(side, side, Qt::KeepAspectRatioByExpanding);
  painter.drawImage(QRect(QPoint((side - shown.width()) / 2, (side - shown.height()) / 2), shown),
                    image);
  painter.end();
  return QPixmap::fromImage(square);
}

}  // namespace sleevemaster
