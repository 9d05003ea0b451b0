#include "tracks/album_picture.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "pdf/picture_file.h"
#include "tracks/audio_pictures.h"
#include "tracks/source_files.h"

namespace sleevemaster {

using namespace tracks_detail;

namespace {

// How many folders and embedded pictures are tried at most: a playlist may name thousands of
// files in as many folders, and the album's picture is with its first tracks.
constexpr std::size_t kMostFolders = 16;
constexpr std::size_t kMostEmbeddedTries = 4;

constexpr std::array<std::string_view, 3> kStems = {"cover", "folder", "front"};
constexpr std::array<std::string_view, 3> kExtensions = {"jpg", "jpeg", "png"};

// The place of a file name among the picture names, best first; nullopt for any other name.
std::optional<std::size_t> PictureNameRank(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  for (std::size_t stem = 0; stem < kStems.size(); ++stem)
    for (std::size_t extension = 0; extension < kExtensions.size(); ++extension)
      if (lower.size() == kStems[stem].size() + 1 + kExtensions[extension].size() &&
          lower.starts_with(kStems[stem]) && lower[kStems[stem].size()] == '.' &&
          lower.ends_with(kExtensions[extension]))
        return stem * kExtensions.size() + extension;
  return std::nullopt;
}

// The picture files in a folder, best first (names differing only in case by their bytes).
std::vector<std::string> PictureFilesIn(const std::string& folder) {
  std::vector<std::pair<std::size_t, std::string>> found;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir)
    return {};
  while (const dirent* entry = readdir(dir.get()))
    if (const std::optional<std::size_t> rank = PictureNameRank(entry->d_name))
      found.emplace_back(*rank, entry->d_name);
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& [rank, name] : found)
    names.push_back(std::move(name));
  return names;
}

bool IsFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Where picture files are looked for: the source folder, the folders of the audio files in
// track order, and the folder of a CUE sheet or playlist; each once.
std::vector<std::string> FoldersToSearch(const std::string& sourcePath, const TrackSource& source) {
  std::vector<std::string> folders;
  const auto add = [&folders](std::string folder) {
    while (folder.size() > 1 && folder.ends_with('/'))
      folder.pop_back();  // "music/" and "music" are one folder
    if (folders.size() < kMostFolders &&
        std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(std::move(folder));
  };
  const bool sourceIsFolder = IsFolder(sourcePath);
  if (sourceIsFolder)
    add(sourcePath);
  for (const SourceAudioFile& file : source.AudioFiles)
    add(FolderOf(file.Path));
  if (!sourceIsFolder)
    add(FolderOf(sourcePath));
  return folders;
}

}  // namespace

AlbumPictureResult FindAlbumPicture(const std::string& sourcePath, const TrackSource& source,
                                    const CancelFlag* cancel) {
  AlbumPictureResult result;
  for (const std::string& folder : FoldersToSearch(sourcePath, source)) {
    for (const std::string& name : PictureFilesIn(folder)) {
      if (CancelRequested(cancel)) {
        result.Cancelled = true;
        return result;
      }
      const std::string path = JoinPath(folder, name);
      Expected<CoverPicture, std::string> read = ReadPictureFile(path, MessageText(path));
      if (!read) {
        result.Notes.push_back(read.Error());
        continue;
      }
      result.Found = AlbumPicture{read.Value(), path, false};
      return result;
    }
  }

  // No file beside the music: the pictures in the tracks, front covers first.
  std::size_t tries = 0;
  for (const PictureRank wanted : {PictureRank::FrontCover, PictureRank::Untyped}) {
    for (const SourceAudioFile& file : source.AudioFiles) {
      if (file.Picture != wanted)
        continue;
      if (tries++ == kMostEmbeddedTries || CancelRequested(cancel)) {
        result.Cancelled = CancelRequested(cancel);
        return result;
      }
      std::optional<std::string> bytes = ReadEmbeddedPicture(file.Path, cancel);
      if (!bytes)
        continue;
      const std::string shown = "the picture in " + QuotedName(file.Path);
      const auto checked = CheckPicture(*bytes);
      if (!checked) {
        result.Notes.push_back("Cannot put " + shown + " on the front cover. " +
                               PictureProblemText(checked.Error()));
        continue;
      }
      result.Found = AlbumPicture{CoverPicture{std::move(*bytes)}, file.Path, true};
      return result;
    }
  }
  return result;
}

}  // namespace sleevemaster
