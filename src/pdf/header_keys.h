// Every key of a document's header, declared once: the line it writes, the member of the insert
// it records, its form, the most characters a text of it may have, and how a value read back is
// taken, an old or damaged one included. The writer writes the lines in table order and checks
// the texts against their limits in that order; the reader looks up each key it takes.
//
// The insert's texts are UTF-8; the header records each in two forms. Today's keys hold its
// Windows-1252 form, which every reader of the header takes, this program's older versions
// included; where Windows-1252 cannot hold the text, a key of its own ("UnicodeMainTitle")
// holds it as it is, in UTF-8, and a reader that knows that key takes it instead. An insert
// whose texts are all Windows-1252 has no such line, and its header is what it always was.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/text_file.h"
#include "files/utf8_text.h"
#include "pdf/cover_document.h"
#include "pdf/cover_picture.h"
#include "pdf/date_text.h"
#include "pdf/header_text.h"
#include "pdf/picture_location.h"
#include "pdf/text_encoding.h"
#include "pdf/version.h"

namespace sleevemaster {

/// What a key's value is.
enum class HeaderForm {
  Text,          ///< a text's Windows-1252 form: no escaping, nothing after it but the line's CR
  UnicodeText,   ///< the text itself in UTF-8, only where Windows-1252 cannot hold it
  Number,        ///< a version
  Flag,          ///< "1" set, "0" clear
  Block,         ///< lines between "%%Begin " key and "%%End " key, each written after a "%"
  UnicodeBlock,  ///< the same lines in UTF-8, only where Windows-1252 cannot hold one of them
};

/// What a header is written from.
struct HeaderSource {
  const CoverDocument& Document;
  const PdfOutputOptions& Options;
  const CoverTexts& Texts;  ///< the insert's texts with the two modes resolved
  /// Where the front cover picture lies (PictureLocationText); empty: the insert has none.
  std::string_view Picture = {};
};

/// An insert as a document's header records it, with what the header holds beside it.
struct HeaderDocument {
  /// A new document (as New leaves the window) with every recorded value in its member. The
  /// back cover text is the block's text; no file is named.
  CoverDocument Document;
  /// An older document names the file its back cover text was in instead of holding the
  /// text; it is the caller's to read, after asking, since a document can name any file.
  std::optional<std::string> NamedBackCoverFile;
  /// Where the file holds the front cover picture; the caller reads it from there (the header
  /// alone does not hold it).
  std::optional<PictureLocation> PictureAt;
  /// Why the picture the header names is left out: the document then reads as one without.
  std::optional<PictureProblem> PictureUnread;
  /// The keys whose values could not be taken as they stand (a flag neither 0 nor 1, a block
  /// without its end). Each reads as a new document has it, as it always has.
  std::vector<std::string_view> Unread;
};

/// How a key reaches the member it records, and back.
struct HeaderMember {
  /// The value of the key's line, as typed; nothing when the line is left out. Null: never
  /// written.
  std::optional<std::string_view> (*Write)(const HeaderSource&) = nullptr;
  /// Takes a value found into the document; false when it cannot be taken as it stands.
  /// Null: the key is not read.
  bool (*Read)(std::string value, HeaderDocument&) = nullptr;
};

namespace header_detail {

inline std::optional<std::string_view> NotEmpty(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  return text;
}

inline std::string_view FlagText(bool set) {
  return set ? "1" : "0";
}

template <std::string CoverDocument::*Text>
std::optional<std::string_view> WriteText(const HeaderSource& source) {
  return NotEmpty(source.Document.*Text);
}

/// A text is taken as it stands, also one longer than its field takes: the window shows it
/// whole, and the writer refuses it when the insert is next written. Today's keys hold
/// Windows-1252 bytes.
template <std::string CoverDocument::*Text>
bool ReadText(std::string value, HeaderDocument& read) {
  read.Document.*Text = Windows1252ToUtf8(value);
  return true;
}

/// The text as it is, in place of its Windows-1252 form read before it; a value that is not
/// UTF-8 is damaged, and the Windows-1252 form stands.
template <std::string CoverDocument::*Text>
bool ReadUnicodeText(std::string value, HeaderDocument& read) {
  if (!IsUtf8(value))
    return false;
  read.Document.*Text = std::move(value);
  return true;
}

template <bool CoverDocument::*Flag>
std::optional<std::string_view> WriteFlag(const HeaderSource& source) {
  return FlagText(source.Document.*Flag);
}

/// Only exactly "1" sets a flag.
template <bool CoverDocument::*Flag>
bool ReadFlag(std::string value, HeaderDocument& read) {
  read.Document.*Flag = value == "1";
  return value == "1" || value == "0";
}

template <bool PdfOutputOptions::*Flag>
std::optional<std::string_view> WriteViewerFlag(const HeaderSource& source) {
  return FlagText(source.Options.*Flag);
}

/// The corner's text as written: a date, a date and time or the user's own.
inline std::optional<std::string_view> WriteCorner(const HeaderSource& source) {
  return NotEmpty(source.Texts.BottomRight);
}

/// A text of exactly a date's form, or of a date and time's, gives back that mode (a typed
/// text of that form too); any other text is the corner's own.
inline bool ReadCorner(std::string value, HeaderDocument& read) {
  CoverDocument& document = read.Document;
  if (IsDateText(value)) {
    document.BottomRightCornerMode = CornerMode::Date;
  } else if (IsDateTimeText(value)) {
    document.BottomRightCornerMode = CornerMode::DateAndTime;
  } else {
    document.BottomRightCornerMode = CornerMode::Custom;
    document.CustomBottomRightCornerText = Windows1252ToUtf8(value);
  }
  return true;
}

/// A date is Windows-1252 text: a corner with a Unicode line is the user's own.
inline bool ReadUnicodeCorner(std::string value, HeaderDocument& read) {
  if (!IsUtf8(value))
    return false;
  read.Document.BottomRightCornerMode = CornerMode::Custom;
  read.Document.CustomBottomRightCornerText = std::move(value);
  return true;
}

/// A spine text is recorded only where it is not the title, which the spines show anyway.
inline std::optional<std::string_view> WriteSpine(const HeaderSource& source) {
  if (source.Texts.SideSpine == source.Texts.Title)
    return std::nullopt;
  return NotEmpty(source.Texts.SideSpine);
}

inline bool ReadSpine(std::string value, HeaderDocument& read) {
  read.Document.SideSpineMode = SpineMode::Custom;
  read.Document.SideSpineText = Windows1252ToUtf8(value);
  return true;
}

inline bool ReadUnicodeSpine(std::string value, HeaderDocument& read) {
  if (!IsUtf8(value))
    return false;
  read.Document.SideSpineMode = SpineMode::Custom;
  read.Document.SideSpineText = std::move(value);
  return true;
}

/// Centring the back cover text is recorded only where there is one.
inline std::optional<std::string_view> WriteCenterBackCover(const HeaderSource& source) {
  if (!source.Document.HasBackCover())
    return std::nullopt;
  return FlagText(source.Document.CenterBackCoverText);
}

inline std::optional<std::string_view> WritePdfLevel(const HeaderSource& source) {
  return PdfLevelText(source.Options.PdfLevel);
}

inline std::optional<std::string_view> WritePicture(const HeaderSource& source) {
  return NotEmpty(source.Picture);
}

/// A place that cannot be read is counted unread, and the picture is said to be damaged.
inline bool ReadPicture(std::string value, HeaderDocument& read) {
  read.PictureAt = ParsePictureLocation(value);
  if (!read.PictureAt)
    read.PictureUnread = PictureProblem{.Kind = PictureProblemKind::Damaged,
                                        .What = "its place in the file is lost"};
  return read.PictureAt.has_value();
}

inline bool ReadBackCoverText(std::string value, HeaderDocument& read) {
  read.Document.BackCoverText = Windows1252ToUtf8(value);
  return true;
}

inline bool ReadUnicodeBackCoverText(std::string value, HeaderDocument& read) {
  if (!IsUtf8(value))
    return false;
  read.Document.BackCoverText = std::move(value);
  return true;
}

/// Counts only where the document holds no back cover text of its own (the block is read
/// first). A path is the system's bytes: never converted.
inline bool ReadNamedBackCoverFile(std::string value, HeaderDocument& read) {
  if (!read.Document.BackCoverText)
    read.NamedBackCoverFile = std::move(value);
  return true;
}

}  // namespace header_detail

/// A text member of the insert, written when it is not empty.
template <std::string CoverDocument::*Text>
inline constexpr HeaderMember TextMember{&header_detail::WriteText<Text>,
                                         &header_detail::ReadText<Text>};
/// The same text in UTF-8, for its UnicodeText row.
template <std::string CoverDocument::*Text>
inline constexpr HeaderMember UnicodeTextMember{&header_detail::WriteText<Text>,
                                                &header_detail::ReadUnicodeText<Text>};
/// A flag of the insert, always written.
template <bool CoverDocument::*Flag>
inline constexpr HeaderMember FlagMember{&header_detail::WriteFlag<Flag>,
                                         &header_detail::ReadFlag<Flag>};
/// A viewer preference: written for the viewers, never read, since the program keeps its own.
template <bool PdfOutputOptions::*Flag>
inline constexpr HeaderMember ViewerFlagMember{&header_detail::WriteViewerFlag<Flag>, nullptr};

/// One row of the table.
struct HeaderKey {
  std::string_view Key;
  HeaderForm Form = HeaderForm::Text;
  /// A text that the writer checks: the field its refusal names, and the most characters the
  /// field takes (counted as typed). 0: no limit of its own.
  CoverField Field = CoverField::MainTitle;
  std::size_t Limit = 0;
  HeaderMember Member = {};
  /// A value every document holds alike; the writer writes it.
  const char* Fixed = nullptr;
  /// Only a file whose value is Fixed, exactly, is a document of this program.
  bool Identifies = false;
};

/// In the order of the lines in every document written so far: a row moved moves its line.
inline constexpr HeaderKey kHeaderKeys[] = {
    // Who wrote the file, and for which PDF level.
    {.Key = "PDFversion",
     .Form = HeaderForm::Number,
     .Member = {.Write = &header_detail::WritePdfLevel}},
    {.Key = "Creator", .Fixed = kProductName, .Identifies = true},
    {.Key = "CreatorVersion", .Form = HeaderForm::Number, .Fixed = kProgramVersion},
    {.Key = "Producer", .Fixed = kProducerName, .Identifies = true},
    {.Key = "ProducerVersion", .Form = HeaderForm::Number, .Fixed = kPdfLibraryVersion},

    // The texts, each written only when it is not empty, its Unicode line after it.
    {.Key = "MainTitle",
     .Field = CoverField::MainTitle,
     .Limit = 22,
     .Member = TextMember<&CoverDocument::MainTitle>},
    {.Key = "UnicodeMainTitle",
     .Form = HeaderForm::UnicodeText,
     .Member = UnicodeTextMember<&CoverDocument::MainTitle>},
    {.Key = "SubTitle",
     .Field = CoverField::SubTitle,
     .Limit = 34,
     .Member = TextMember<&CoverDocument::SubTitle>},
    {.Key = "UnicodeSubTitle",
     .Form = HeaderForm::UnicodeText,
     .Member = UnicodeTextMember<&CoverDocument::SubTitle>},
    {.Key = "BottomRightCorner",
     .Field = CoverField::BottomRightCorner,
     .Limit = 45,
     .Member = {&header_detail::WriteCorner, &header_detail::ReadCorner}},
    {.Key = "UnicodeBottomRightCorner",
     .Form = HeaderForm::UnicodeText,
     .Member = {&header_detail::WriteCorner, &header_detail::ReadUnicodeCorner}},
    {.Key = "InsideJacketText",
     .Field = CoverField::InsideJacketText,
     .Limit = 45,
     .Member = TextMember<&CoverDocument::InsideJacketText>},
    {.Key = "UnicodeInsideJacketText",
     .Form = HeaderForm::UnicodeText,
     .Member = UnicodeTextMember<&CoverDocument::InsideJacketText>},
    {.Key = "SideSpineText",
     .Field = CoverField::SideSpineText,
     .Limit = 45,
     .Member = {&header_detail::WriteSpine, &header_detail::ReadSpine}},
    {.Key = "UnicodeSideSpineText",
     .Form = HeaderForm::UnicodeText,
     .Member = {&header_detail::WriteSpine, &header_detail::ReadUnicodeSpine}},

    // The flags; centring the back cover text only where there is one.
    {.Key = "CenterBackCoverText",
     .Form = HeaderForm::Flag,
     .Member = {&header_detail::WriteCenterBackCover,
                &header_detail::ReadFlag<&CoverDocument::CenterBackCoverText>}},
    {.Key = "InversedSideSpineColours",
     .Form = HeaderForm::Flag,
     .Member = FlagMember<&CoverDocument::InversedSideSpineColours>},
    {.Key = "CenterSideSpineText",
     .Form = HeaderForm::Flag,
     .Member = FlagMember<&CoverDocument::CenterSideSpineText>},
    {.Key = "ViewInLandscape",
     .Form = HeaderForm::Flag,
     .Member = ViewerFlagMember<&PdfOutputOptions::ViewInLandscape>},
    {.Key = "ViewFullscreen",
     .Form = HeaderForm::Flag,
     .Member = ViewerFlagMember<&PdfOutputOptions::ViewFullscreen>},
    {.Key = "HideUiElements",
     .Form = HeaderForm::Flag,
     .Member = ViewerFlagMember<&PdfOutputOptions::HideUiElements>},

    // Where the file holds the front cover picture, written only where there is one.
    {.Key = "FrontPicture", .Member = {&header_detail::WritePicture, &header_detail::ReadPicture}},

    // The back cover text's lines, written when the text keeps within the reader's limits.
    // No block name begins with another's: a reader finds a block by its begin marker alone.
    {.Key = "BackCoverText",
     .Form = HeaderForm::Block,
     .Member = {.Read = &header_detail::ReadBackCoverText}},
    {.Key = "UnicodeBackCoverText",
     .Form = HeaderForm::UnicodeBlock,
     .Member = {.Read = &header_detail::ReadUnicodeBackCoverText}},
    // Older documents named the file instead; nothing writes this key any more.
    {.Key = "BackCoverTextFile", .Member = {.Read = &header_detail::ReadNamedBackCoverFile}},
};

/// Whether the key's lines are a block.
constexpr bool IsBlock(const HeaderKey& key) {
  return key.Form == HeaderForm::Block || key.Form == HeaderForm::UnicodeBlock;
}

/// What a key's line records as the user typed it (UTF-8); nothing when the line is left out.
/// The limits are checked on this text.
inline std::optional<std::string_view> RecordedText(const HeaderKey& key,
                                                    const HeaderSource& source) {
  if (key.Fixed != nullptr)
    return key.Fixed;
  if (key.Member.Write == nullptr)
    return std::nullopt;
  return key.Member.Write(source);
}

/// The most characters of each field, as typed, found in the table while compiling: a search
/// of the table at run time would cost every insert written (the writer asks for each limit).
inline constexpr auto kFieldLimits = [] {
  std::array<std::size_t, kCoverFieldCount> limits{};
  for (const HeaderKey& key : kHeaderKeys) {
    if (key.Limit > 0)
      limits[static_cast<std::size_t>(key.Field)] = key.Limit;
  }
  return limits;
}();

/// The value of a key's line as the writer writes it; nothing when the line is left out. A
/// text's Windows-1252 form keeps to its field's limit. The value lies in the source, or in
/// `form` where it had to be made.
inline std::optional<std::string_view> RecordedValue(const HeaderKey& key,
                                                     const HeaderSource& source,
                                                     std::string& form) {
  const std::optional<std::string_view> text = RecordedText(key, source);
  if (!text)
    return std::nullopt;
  if (key.Form == HeaderForm::UnicodeText) {
    if (IsWindows1252Text(*text))
      return std::nullopt;
    return text;
  }
  // Numbers, flags and most texts are ASCII, their own Windows-1252 form: nothing to make.
  if (AsciiRun(*text, 0) == text->size())
    return text;
  form = Windows1252Form(*text, key.Limit > 0 ? key.Limit : kOwnLength);
  return form;
}

/// A back cover line as a block records it: its Windows-1252 form as many characters long as
/// the line, so it keeps to the card's width as the line does, or the line itself.
inline std::string RecordedLine(const HeaderKey& key, std::string_view line) {
  if (key.Form == HeaderForm::UnicodeBlock)
    return std::string(line);
  return Windows1252Form(line, kOwnLength);
}

/// Whether a block records these back cover lines: the Windows-1252 block whenever the text
/// keeps within the reader's limits, the Unicode block only where a line needs it. Reads the
/// lines from the first.
bool RecordsBlock(const HeaderKey& key, CReadTextFile& back);

/// The first text over its field's limit, counted in characters as typed, in the order of the
/// table; null when every text keeps to its limit.
const HeaderKey* FirstTextOverLimit(const HeaderSource& source);

/// The most characters of a field, as typed.
constexpr std::size_t LimitOf(CoverField field) {
  return kFieldLimits[static_cast<std::size_t>(field)];
}

/// Each key names one line.
constexpr bool HeaderKeysAreUnique() {
  for (const HeaderKey& one : kHeaderKeys) {
    int named = 0;
    for (const HeaderKey& other : kHeaderKeys)
      named += one.Key == other.Key ? 1 : 0;
    if (named != 1)
      return false;
  }
  return true;
}
static_assert(HeaderKeysAreUnique());

/// The limited texts are the fields a refusal names, each once, in the order the writer checks
/// them; every other row is written, read or both, and a key that tells documents apart holds
/// a fixed value.
constexpr bool HeaderKeysAreComplete() {
  int nextField = 0;
  for (const HeaderKey& key : kHeaderKeys) {
    if (key.Limit > 0 && static_cast<int>(key.Field) != nextField++)
      return false;
    const bool written = key.Fixed != nullptr || key.Member.Write != nullptr || IsBlock(key);
    if ((!written && key.Member.Read == nullptr) || (key.Identifies && key.Fixed == nullptr))
      return false;
  }
  return nextField == kCoverFieldCount;
}
// Under -fsanitize=null GCC cannot fold a function's address compared with null; the release
// build, which every run of the suite makes as well, holds the table to this check.
#ifndef SLEEVEMASTER_SANITIZED
static_assert(HeaderKeysAreComplete());
#endif

}  // namespace sleevemaster
