// Texts from the command line made ready for an insert: UTF-8 arguments checked against what
// the insert's font prints, and the messages that say which character stands in the way.
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

/// The argument as a text of the insert (UTF-8), or the message that says why it cannot be:
/// not UTF-8, a character the insert's font cannot print, or a control character (which would
/// break the lines of the document header). `what` names the text in the message ("The
/// title").
Expected<std::string, QString> ArgumentText(std::string_view utf8, const QString& what);

}  // namespace sleevemaster
