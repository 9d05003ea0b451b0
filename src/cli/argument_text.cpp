#include "cli/argument_text.h"

#include <QFile>

#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"
#include "session/save_insert.h"

namespace sleevemaster {

QString Quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

Expected<std::string, QString> ArgumentText(std::string_view utf8, const QString& what) {
  if (!IsUtf8(utf8))
    return MakeUnexpected(what + QStringLiteral(" is not valid UTF-8 text."));
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextCharacter(utf8, at);
    if (c < 0x20)
      return MakeUnexpected(what + QStringLiteral(" contains the control character ") +
                            CharacterName(c) + QStringLiteral(", which an insert cannot hold."));
  }
  if (const std::optional<char32_t> c = FirstUnprintable(utf8))
    return MakeUnexpected(NotPrintable(what, *c));
  return std::string(utf8);
}

}  // namespace sleevemaster
