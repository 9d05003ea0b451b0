// Texts from the command line made ready for an insert: UTF-8 arguments to Windows-1252, and
// the messages that say which character stands in the way.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "files/expected.h"

namespace sleevemaster {

/// The text in double quotes.
QString Quoted(const QString& text);

/// A path as the user typed it, in the local 8-bit encoding, for a message.
QString PathText(const std::string& path);

/// "U+014D "ō"": the code and, when it can be seen, the character itself.
QString CharacterName(char32_t character);

/// "<what> contains the character U+..., which is not in the Windows-1252 character set."
QString NotInCodePage(const QString& what, char32_t character);

/// The argument in Windows-1252, or the message that says why it cannot be: not UTF-8, a
/// character outside Windows-1252, or a control character (which would break the lines of
/// the document header). `what` names the text in the message ("The title").
Expected<std::string, QString> ConvertArgumentText(std::string_view utf8, const QString& what);

}  // namespace sleevemaster
