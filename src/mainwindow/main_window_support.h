// Names, messages and path helpers shared by the main window's source files.
#pragma once

#include <QString>
#include <string>

namespace sleevemaster {

/// The working back cover text file and the preview, directly in the temporary folder.
inline constexpr const char* kWorkingBackCoverTextName = "Back Cover Text.txt";
inline constexpr const char* kPreviewFileName = "Preview.pdf";

/// A path in the local 8-bit encoding, as the widgets and dialogs show it.
QString LocalPathText(const std::string& path);
/// A path from a dialog in the local 8-bit encoding; paths are never converted otherwise.
std::string LocalPath(const QString& path);

/// The folder of the file, made absolute, with exactly one trailing separator.
std::string FolderWithSeparator(const std::string& path);
/// The file's name without its folder.
std::string FileNameOf(const std::string& path);

}  // namespace sleevemaster
