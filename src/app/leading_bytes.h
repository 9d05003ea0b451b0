// Reading the start of a file named on the command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace sleevemaster {

/// At most `limit` bytes from the start of a regular file; nullopt when it cannot be read.
/// Opened without blocking, so a FIFO put in its place meanwhile cannot hang the run.
std::optional<std::string> ReadLeadingBytes(const std::string& path, std::size_t limit);

}  // namespace sleevemaster
