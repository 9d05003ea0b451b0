#include "cli/argument_text.h"

#include <QFile>
#include <utility>

#include "pdf/text_encoding.h"

namespace sleevemaster {

QString Quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString CharacterName(char32_t character) {
  QString name =
      QStringLiteral("U+") +
      QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, u'0');
  if (QChar::isPrint(character))
    name += QLatin1Char(' ') + Quoted(QString::fromUcs4(&character, 1));
  return name;
}

QString NotInCodePage(const QString& what, char32_t character) {
  return what + QStringLiteral(" contains the character ") + CharacterName(character) +
         QStringLiteral(", which is not in the Windows-1252 character set.");
}

Expected<std::string, QString> ConvertArgumentText(std::string_view utf8, const QString& what) {
  if (!IsWellFormedUtf8(utf8))
    return MakeUnexpected(what + QStringLiteral(" is not valid UTF-8 text."));
  Windows1252Conversion converted = Utf8ToWindows1252(utf8);
  if (!converted.Ok)
    return MakeUnexpected(NotInCodePage(what, converted.Unmappable));
  for (const char c : converted.Text) {
    if (static_cast<unsigned char>(c) < 0x20)
      return MakeUnexpected(what + QStringLiteral(" contains the control character ") +
                            CharacterName(static_cast<unsigned char>(c)) +
                            QStringLiteral(", which an insert cannot hold."));
  }
  return std::move(converted.Text);
}

}  // namespace sleevemaster
