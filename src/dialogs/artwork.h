// The dialogs' pictures and button glyphs, drawn as SVG in resources/artwork and compiled in as
// PNG at one and at two times their size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QWidget;

namespace sleevemaster {

/// The picture `name` (file name without ".png") for `widget`: the double-size rendering when
/// the widget's screen has more than one device pixel per pixel.
QPixmap ArtworkPixmap(const QString& name, const QWidget& widget);

/// A button glyph; the icon holds both renderings and picks one per screen itself.
QIcon ArtworkIcon(const QString& name);

}  // namespace sleevemaster
