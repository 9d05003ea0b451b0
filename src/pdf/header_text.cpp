#include "pdf/header_text.h"

#include <iterator>

#include "files/utf8_text.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

// The likenesses of the characters the insert's font prints beyond Windows-1252, run by run:
// the code of a run's first character and one likeness for each character of the run,
// separated by blanks; "?" for a character without one. Greek follows the modern
// transcription (ELOT 743), Cyrillic the common English one.
struct LikenessRun {
  char32_t First;
  const char* Likenesses;
};

constexpr LikenessRun kLikenesses[] = {
    // Latin Extended-A: the letters without their marks.
    {0x0100,
     "A a A a A a C c C c C c C c D d D d E e E e E e E e E e G g G g "
     "G g G g H h H h I i I i I i I i I i IJ ij J j K k k L l L l L l L "
     "l L l N n N n N n 'n N n O o O o O o OE oe R r R r R r S s S s S s "
     "S s T t T t T t U u U u U u U u U u U u W w Y y Y Z z Z z Z z s"},
    {0x01FA, "A a AE ae O o"},
    {0x0218, "S s T t"},
    {0x0384,
     "' ' A ; E I I ? O ? Y O i A V G D E Z I Th I K L M N X O "
     "P R ? S T Y F Ch Ps O I Y a e i i y a v g d e z i th i k l m n x o "
     "p r s s t y f ch ps o i y o y o"},
    {0x03D1, "th"},
    {0x03D5, "f p"},
    {0x0400,
     "E Yo Dj Gj Ye Dz I Yi J Lj Nj C Kj I U Dz "
     "A B V G D E Zh Z I Y K L M N O P R S T U F Kh Ts Ch Sh Shch \" Y ' E Yu Ya "
     "a b v g d e zh z i y k l m n o p r s t u f kh ts ch sh shch \" y ' e yu ya "
     "e yo dj gj ye dz i yi j lj nj c kj i u dz"},
    {0x0462, "E e"},
    {0x0472, "F f I i"},
    {0x0490,
     "G g G g ? ? Zh zh Z z K k K k ? ? K k N n ? ? ? ? ? ? S s ? ? U u U u "
     "Kh kh ? ? Ch ch Ch ch H h"},
    {0x04C0, "I"},
    {0x04CB, "Ch ch ? ? i"},
    {0x04D8, "A a"},
    {0x04E2, "I i"},
    {0x04E8, "O o"},
    {0x04EE, "U u"},
    {0x1E80, "W w W w W w"},
    {0x1EF2, "Y y"},
    {0x2015, "- ? _"},
    {0x2032, "' \""},
    {0x203C, "!! ? -"},
    {0x2044, "/"},
    {0x2070, "0 ? ? ? 4 5 6 7 8 9 ? ? ? ? ? n"},
    {0x20A3, "F L"},
    {0x2105, "c/o"},
    {0x2113, "l ? ? No"},
    {0x2126, "O"},
    {0x215B, "1/8 3/8 5/8 7/8"},
    {0x2190, "<- ^ -> v <-> |"},
    {0x21D0, "<= ^ => v <=>"},
    {0x2212, "- ? ? /"},
    {0x221E, "oo"},
    {0x2248, "~"},
    {0x2260, "!= = ? ? <= >="},
    {0x226A, "<< >>"},
    {0x2500, "- ? |"},
    {0xFB00, "ff fi fl ffi ffl"},
};

// The likeness of a character outside Windows-1252.
std::string_view LikenessOf(char32_t c) {
  if (c >= 0x2000 && c <= 0x200A)
    return " ";  // the spaces of typesetting
  for (auto run = std::rbegin(kLikenesses); run != std::rend(kLikenesses); ++run) {
    if (c < run->First)
      continue;
    std::string_view likenesses = run->Likenesses;
    for (char32_t skip = c - run->First; skip > 0 && !likenesses.empty(); --skip) {
      const std::size_t blank = likenesses.find(' ');
      likenesses =
          blank == std::string_view::npos ? std::string_view() : likenesses.substr(blank + 1);
    }
    if (!likenesses.empty())
      return likenesses.substr(0, likenesses.find(' '));
    break;
  }
  // Box drawing: lines of both kinds, and their corners and crossings.
  if (c >= 0x2500 && c <= 0x257F)
    return c == 0x2550 ? "=" : (c == 0x2551 ? "|" : "+");
  return "?";
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int Windows1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<int>(c);
  for (int byte = 0x80; byte <= 0x9F; ++byte) {
    if (Windows1252ToUnicode(static_cast<unsigned char>(byte)) == c)
      return byte;
  }
  return -1;
}

}  // namespace

std::string Windows1252Form(std::string_view utf8, std::size_t room) {
  if (AsciiRun(utf8, 0) == utf8.size())  // ASCII is its own form, as most texts are
    return std::string(utf8);
  std::size_t left = CharacterCount(utf8);
  std::string form;
  form.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextCharacter(utf8, at);
    --left;
    if (const int byte = Windows1252Byte(c); byte >= 0) {
      form.push_back(static_cast<char>(byte));
      continue;
    }
    std::string_view likeness = LikenessOf(c);
    if (form.size() + likeness.size() + left > room)
      likeness = likeness.substr(0, 1);
    form.append(likeness);
  }
  return form;
}

}  // namespace sleevemaster
