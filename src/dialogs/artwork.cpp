#include "dialogs/artwork.h"

#include <QWidget>

// The pictures live in the windows library, which is static: its resources must be named once.
static void InitDialogArtwork() {
  Q_INIT_RESOURCE(dialogs);
}

namespace sleevemaster {

namespace {

QString ArtworkPath(const QString& name, bool doubleSize) {
  return QStringLiteral(":/dialogs/") + name +
         (doubleSize ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
}

}  // namespace

QPixmap ArtworkPixmap(const QString& name, const QWidget& widget) {
  InitDialogArtwork();
  const bool doubleSize = widget.devicePixelRatioF() > 1.0;
  QPixmap pixmap(ArtworkPath(name, doubleSize));
  if (doubleSize)
    pixmap.setDevicePixelRatio(2.0);
  return pixmap;
}

QIcon ArtworkIcon(const QString& name) {
  InitDialogArtwork();
  QIcon icon;
  icon.addFile(ArtworkPath(name, false));
  icon.addFile(ArtworkPath(name, true));
  return icon;
}

}  // namespace sleevemaster
