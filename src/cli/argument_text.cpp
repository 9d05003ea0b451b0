#include "cli/argument_text.h"

#include <QFile>

#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"

namespace sleevemaster {

namespace {

QString CodeOf(char32_t character) {
  return QStringLiteral("U+") +
         QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, u'0');
}

}  // namespace

QString Quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString CharacterName(char32_t character) {
  switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return CodeOf(character);
    default:
      return QChar::isPrint(character) ? Quoted(QString::fromUcs4(&character, 1))
                                       : CodeOf(character);
  }
}

QString NotPrintable(const QString& what, char32_t character) {
  return what + QStringLiteral(" contains ") + CharacterName(character) +
         QStringLiteral(", which the insert's font cannot print.");
}

Expected<std::string, QString> ArgumentText(std::string_view utf8, const QString& what) {
  if (!IsUtf8(utf8))
    return MakeUnexpected(what + QStringLiteral(" is not valid UTF-8 text."));
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextCharacter(utf8, at);
    if (c < 0x20)
      return MakeUnexpected(what + QStringLiteral(" contains the control character ") + CodeOf(c) +
                            QStringLiteral(", which an insert cannot hold."));
  }
  if (const std::optional<char32_t> c = FirstUnprintable(utf8))
    return MakeUnexpected(NotPrintable(what, *c));
  return std::string(utf8);
}

}  // namespace sleevemaster
