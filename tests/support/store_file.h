// The settings file as bytes: written by hand to set up a store, read back line by line to see
// exactly what the program stored.
#pragma once

#include <map>
#include <string>

namespace sleevemaster::test {

/// Value name -> the text the file holds for it.
using StoreValues = std::map<std::string, std::string>;

/// What the store holds after a first start and one normal close.
StoreValues CompleteStore();

/// The settings file under a configuration folder (what XDG_CONFIG_HOME names).
std::string StoreFileIn(const std::string& configHome);

/// Writes the values as the store's INI file, replacing it.
void WriteStoreFile(const std::string& configHome, const StoreValues& values);

/// The values the file holds, from its own lines ("[Group]" lines left out).
StoreValues ReadStoreFile(const std::string& configHome);

}  // namespace sleevemaster::test
