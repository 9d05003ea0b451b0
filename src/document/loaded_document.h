// A document header turned into what the main window shows, and the screening of documents.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/read_pdf_cover.h"
#include "pdf/cover_document.h"

namespace sleevemaster {

/// Files of this many bytes or more are refused as documents before they are read. It is the
/// writer's upper bound, not the reader's buffer: at the largest scale, with long back cover
/// lines full of escaped characters, a written document passes 16 KB, yet its header (under
/// 6 KB) always lies within the head that the reader holds.
inline constexpr std::uint64_t MaxDocumentSize = 65536;

/// What a document header restores. Loading starts from a window that New has reset: a field
/// left empty (nullopt, or false for a check box) leaves the window's value as New left it.
struct LoadedDocument {
  /// Creator and Producer name this program; when false nothing below is set.
  bool Valid = false;
  /// The front cover title.
  std::optional<std::string> MainTitle;
  /// The front cover subtitle.
  std::optional<std::string> SubTitle;
  /// None without a corner text, Date or DateAndTime for a text of exactly that form, else Custom.
  CornerMode BottomRightCornerMode = CornerMode::None;
  /// The corner's own text; set only with CornerMode::Custom.
  std::optional<std::string> CustomBottomRightCornerText;
  /// The inside jacket text.
  std::optional<std::string> InsideJacketText;
  /// FrontCoverTitle without a spine text, else Custom.
  SpineMode SideSpineMode = SpineMode::FrontCoverTitle;
  /// The spine's own text; set only with SpineMode::Custom.
  std::optional<std::string> SideSpineText;
  /// Check the box; false leaves it as it is (loading never clears a box).
  bool CenterSideSpineText = false;
  /// Check the box; false leaves it as it is.
  bool InversedSideSpineColours = false;
  /// Check the box; false leaves it as it is.
  bool CenterBackCoverText = false;
  /// The back cover text block, byte for byte the content for the working back cover text file.
  std::optional<std::string> BackCoverText;
  /// Older documents without a block: the back cover text file they name, to be copied into the
  /// working file when it still exists.
  std::optional<std::string> BackCoverTextFile;

  /// Sets the fields of `document` that this header records (only checks, never clears, a flag).
  /// The back cover text file is left alone: it is the caller's working file.
  void ApplyTo(CoverDocument& document) const;
  /// A fresh document (as after New) with the recorded fields and the given back cover file.
  CoverDocument ToCoverDocument(const std::string& backCoverTextFile) const;
};

/// Validates the header and reads every key the window restores. An invalid header gives a
/// LoadedDocument with Valid false and nothing else set.
LoadedDocument TranslateDocumentHeader(CReadPdfCover& reader);

/// True when the name's extension (from the last dot after the last path separator, dot
/// included) is ".PDF" in any letter case.
bool HasPdfExtension(std::string_view path);

}  // namespace sleevemaster
