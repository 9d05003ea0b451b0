#include "document/loaded_document.h"

#include <utility>

#include "pdf/date_text.h"

namespace sleevemaster {

namespace {

constexpr std::string_view kCreator = "Sleevemaster";
constexpr std::string_view kProducer = "Sleevemaster PDF library";

std::optional<std::string> ValueOf(const CReadPdfCover& reader, std::string_view key) {
  std::string value;
  if (reader.GetHeaderValue(key, value) != 0)
    return std::nullopt;
  return value;
}

/// A flag counts as set only for the exact value "1".
bool FlagSet(const CReadPdfCover& reader, std::string_view key) {
  const std::optional<std::string> value = ValueOf(reader, key);
  return value && *value == "1";
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

}  // namespace

LoadedDocument TranslateDocumentHeader(CReadPdfCover& reader) {
  LoadedDocument loaded;
  if (ValueOf(reader, "Creator") != kCreator || ValueOf(reader, "Producer") != kProducer)
    return loaded;
  loaded.Valid = true;

  loaded.MainTitle = ValueOf(reader, "MainTitle");
  loaded.SubTitle = ValueOf(reader, "SubTitle");

  if (std::optional<std::string> corner = ValueOf(reader, "BottomRightCorner")) {
    if (IsDateText(*corner)) {
      loaded.BottomRightCornerMode = CornerMode::Date;
    } else if (IsDateTimeText(*corner)) {
      loaded.BottomRightCornerMode = CornerMode::DateAndTime;
    } else {
      loaded.BottomRightCornerMode = CornerMode::Custom;
      loaded.CustomBottomRightCornerText = std::move(corner);
    }
  }

  loaded.InsideJacketText = ValueOf(reader, "InsideJacketText");

  if (std::optional<std::string> spine = ValueOf(reader, "SideSpineText")) {
    loaded.SideSpineMode = SpineMode::Custom;
    loaded.SideSpineText = std::move(spine);
  }

  loaded.CenterSideSpineText = FlagSet(reader, "CenterSideSpineText");
  loaded.InversedSideSpineColours = FlagSet(reader, "InversedSideSpineColours");

  // The block wins; the file name of older documents counts only without one.
  if (const char* block = reader.GetHeaderBlock("BackCoverText")) {
    loaded.BackCoverText = std::string(block, reader.BlockTextLength());
  } else {
    loaded.BackCoverTextFile = ValueOf(reader, "BackCoverTextFile");
  }

  loaded.CenterBackCoverText = FlagSet(reader, "CenterBackCoverText");
  return loaded;
}

void LoadedDocument::ApplyTo(CoverDocument& document) const {
  if (!Valid)
    return;
  if (MainTitle)
    document.MainTitle = *MainTitle;
  if (SubTitle)
    document.SubTitle = *SubTitle;
  document.BottomRightCornerMode = BottomRightCornerMode;
  if (CustomBottomRightCornerText)
    document.CustomBottomRightCornerText = *CustomBottomRightCornerText;
  if (InsideJacketText)
    document.InsideJacketText = *InsideJacketText;
  document.SideSpineMode = SideSpineMode;
  if (SideSpineText)
    document.SideSpineText = *SideSpineText;
  if (CenterSideSpineText)
    document.CenterSideSpineText = true;
  if (InversedSideSpineColours)
    document.InversedSideSpineColours = true;
  if (CenterBackCoverText)
    document.CenterBackCoverText = true;
}

CoverDocument LoadedDocument::ToCoverDocument(const std::string& backCoverTextFile) const {
  CoverDocument document;
  ApplyTo(document);
  document.BackCoverTextFile = backCoverTextFile;
  return document;
}

bool HasPdfExtension(std::string_view path) {
  std::size_t nameStart = 0;
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) {
      nameStart = i;
      break;
    }
  }
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart)
    return false;
  const std::string_view extension = path.substr(dot);
  constexpr std::string_view kPdf = ".PDF";
  if (extension.size() != kPdf.size())
    return false;
  for (std::size_t i = 0; i < kPdf.size(); ++i) {
    if (AsciiUpper(extension[i]) != kPdf[i])
      return false;
  }
  return true;
}

}  // namespace sleevemaster
