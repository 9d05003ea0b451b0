// A small square view of a front cover picture, as the cover shows it.
#pragma once

#include <QPixmap>
#include <string_view>

namespace sleevemaster {

/// The picture (a JPEG's or PNG's bytes) scaled to cover a square of `side` pixels and cropped
/// around its middle, as the front cover crops it; transparent parts show white. A large JPEG
/// is decoded at a reduced size. A null pixmap when the bytes cannot be decoded.
QPixmap PictureThumbnail(std::string_view bytes, int side);

}  // namespace sleevemaster
