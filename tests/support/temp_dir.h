// Temporary folders and whole-file helpers for tests.
#pragma once

#include <string>
#include <string_view>

namespace sleevemaster::test {

/// A fresh folder under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  /// The path of `name` inside the folder.
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

/// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
/// Writes the bytes, replacing the file; fails the current test when that is impossible.
void WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace sleevemaster::test
