// File helpers the track readers share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracks/track_source.h"

namespace sleevemaster::tracks_detail {

/// What reading a small text file came to.
enum class SmallFileRead { Read, Missing, NotAFile, TooLarge, Unreadable };

/// Reads a regular file of at most `limit` bytes, without blocking on a FIFO.
SmallFileRead ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes);

/// The bytes of a CUE sheet or playlist (`what` names it in messages: "The playlist"); nullopt
/// with `error` saying why when it cannot be read or is larger than kMaxTrackListFileBytes.
std::optional<std::string> ReadTrackListFile(const std::string& path, const std::string& what,
                                             std::string& error);

/// The folder part of a path ("" for a bare name, "/" kept for the root).
std::string FolderOf(const std::string& path);

/// `name` relative to `folder` unless it is absolute.
std::string JoinPath(const std::string& folder, const std::string& name);

/// The last part of a path, without its extension.
std::string FileStem(std::string_view path);

/// The text quoted for a message: “"name"”, its control characters escaped (MessageText).
std::string QuotedName(std::string_view bytes);

/// "1 file", "2 files": a count with the word that goes with it.
std::string CountOf(std::size_t count, std::string_view one, std::string_view many);

/// The first few names quoted for a message, the rest counted: “"a", "b" and 3 more”.
std::string NameList(const std::vector<std::string>& names);

/// The note on files that were named or found but are not audio, naming them.
std::string NotAudioNote(const std::vector<std::string>& names);

/// A result that says the reading was cancelled.
TrackSourceResult CancelledResult();

}  // namespace sleevemaster::tracks_detail
