// Tags and file names as texts and messages show them. Kept apart from the readers: the program
// shows what the track readers' module found without linking TagLib itself.
#include "tracks/track_source.h"

#include <string>
#include <string_view>

#include "pdf/text_encoding.h"

namespace sleevemaster {

std::string MessageText(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string text = Utf8OrWindows1252(bytes);
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xF];
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080 to U+009F, the C1 controls; a terminal may act on them as on ESC.
      const auto code = static_cast<unsigned char>(text[++i]);
      shown += "\\u00";
      shown += kHex[code >> 4];
      shown += kHex[code & 0xF];
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

}  // namespace sleevemaster
