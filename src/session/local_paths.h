// Paths as the program holds them (the local 8-bit encoding, never converted) and as the user
// reads them in messages and dialogs.
#pragma once

#include <QString>
#include <string>

namespace sleevemaster {

/// A path in the local 8-bit encoding, as messages and dialogs show it.
QString LocalPathText(const std::string& path);
/// A path from a dialog in the local 8-bit encoding; paths are never converted otherwise.
std::string LocalPath(const QString& path);

/// The folder of the file, made absolute, with exactly one trailing separator.
std::string FolderWithSeparator(const std::string& path);
/// The file's name without its folder.
std::string FileNameOf(const std::string& path);

}  // namespace sleevemaster
