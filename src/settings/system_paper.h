// The paper this system prefers, as one of the four papers of the PDF pages: what a first start
// and the calibration dialog's Defaults choose, so an A4 system starts with A4.
//
// The sources, in order: the paper of the LC_PAPER locale category (from LC_ALL, LC_PAPER or
// LANG, looked up without touching the program's own locale, so it also works in a run without
// a QApplication), else the paper named in libpaper's /etc/papersize, else Letter. A locale of
// "C" or "POSIX" names no paper of the user's choosing and is passed over.
#pragma once

#include <optional>
#include <string>

namespace sleevemaster {

/// PrintCalibration::PaperSize values.
inline constexpr int kPaperLetter = 0;
inline constexpr int kPaperLegal = 1;
inline constexpr int kPaperA3 = 2;
inline constexpr int kPaperA4 = 3;

/// libpaper's system-wide paper name file.
inline constexpr const char* kSystemPapersizeFile = "/etc/papersize";

/// The nearest of the four papers to a sheet of the given size in millimetres, in either
/// orientation.
int NearestPaperSize(double widthMm, double heightMm);

/// The paper of the environment's LC_PAPER locale, or none when the environment names no
/// locale, names "C" or "POSIX", or names one that is not installed.
std::optional<int> PaperSizeFromLocale();

/// The paper named in a libpaper paper file (its first word that is not a comment), or none
/// when the file is missing, not a plain file, or names a paper we do not know.
std::optional<int> PaperSizeFromPapersizeFile(const std::string& path);

/// The factory paper: the locale's, else the paper file's, else Letter.
int SystemPaperSize(const std::string& papersizeFile = kSystemPapersizeFile);

}  // namespace sleevemaster
