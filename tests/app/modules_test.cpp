// A library is loaded only by the runs that need it, as the dynamic loader itself reports; a
// module that cannot be loaded is named with the loader's reason, and other runs go on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const char* const kCueSheet = "TITLE \"Live\"\nFILE \"a.wav\" WAVE\nTRACK 1 AUDIO\nINDEX 1 0:0:0\n";

// Runs the program in `folder` beside a CUE sheet; with `loaderReport` the dynamic loader names
// on stderr every library it loads.
test::RunResult RunIn(const test::TempDir& folder, const std::string& program, Strings arguments,
                      bool loaderReport, const char* display = nullptr) {
  test::WriteFileBytes(folder.File("live.cue"), kCueSheet);
  arguments.insert(arguments.begin(), program);
  test::RunOptions options;
  options.WorkingDirectory = folder.Path();
  options.Environment = {
      {"LD_DEBUG", loaderReport ? std::optional<std::string>("libs") : std::nullopt},
      {"DISPLAY", display ? std::optional<std::string>(display) : std::nullopt},
      {"WAYLAND_DISPLAY", std::nullopt},
      {"XDG_CONFIG_HOME", folder.File("config")},
      {"TMPDIR", folder.Path()}};
  return test::RunProcess(arguments, options);
}

TEST(ModulesTest, EachBatchLoadsOnlyTheLibrariesItNeeds) {
  const Strings windows{"libQt6Widgets.so", "libQt6Pdf.so", "libsleevemaster_windows.so"};
  const Strings tracks{"libsleevemaster_tracks.so", "libtag.so", "libcue.so"};
  const Strings pictures{"libsleevemaster_pictures.so", "libjpeg.so", "libpng16.so"};
  const Strings fonts{"libsleevemaster_fonts.so", "libharfbuzz-subset.so", "libharfbuzz.so"};
  struct Case {
    Strings Arguments;
    Strings Loaded;
    std::vector<Strings> NotLoaded;
  };
  const Case cases[] = {
      {{"Road Trip"}, {"libQt6Core.so"}, {tracks, windows, pictures, fonts}},
      {{"/TRACKS:live.cue"}, tracks, {windows, pictures, fonts}},
      // FreeType, which the subsetter brings, links libpng itself.
      {{"Łódź"}, fonts, {tracks, windows, {"libsleevemaster_pictures.so", "libjpeg.so"}}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Arguments.front());
    const test::TempDir folder;
    const test::RunResult run = RunIn(folder, SLEEVEMASTER_EXECUTABLE, c.Arguments, true);
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(folder.File("cover.pdf")));
    // The loader's report names a library only when it loads it.
    for (const std::string& library : c.Loaded)
      EXPECT_NE(run.Stderr.find("/" + library), std::string::npos) << library;
    for (const Strings& libraries : c.NotLoaded)
      for (const std::string& library : libraries)
        EXPECT_EQ(run.Stderr.find("/" + library), std::string::npos) << library;
  }
}

TEST(ModulesTest, AMissingModuleIsNamedWithTheLoadersReasonAndOnlyItsRunsNeedIt) {
  // The program alone in a folder of its own, without the modules beside it.
  const test::TempDir prefix;
  fs::create_directories(prefix.File("bin"));
  const std::string program = prefix.File("bin/sleevemaster");
  fs::copy_file(SLEEVEMASTER_EXECUTABLE, program);
  const std::string missing = ".so: cannot open shared object file: No such file or directory\n";
  const std::string modules =
      fs::path(prefix.File("bin/" SLEEVEMASTER_MODULE_DIR "/libsleevemaster_")).lexically_normal();
  struct Case {
    Strings Arguments;
    const char* Display;
    std::string Said;  // what stderr begins with (the usage may follow); nothing when empty
  };
  const Case cases[] = {
      {{"Road Trip"}, nullptr, ""},
      {{"/TRACKS:live.cue"},
       nullptr,
       "Sleevemaster: The track readers cannot be loaded: " + modules + "tracks" + missing},
      {{"Łódź"},
       nullptr,
       "Sleevemaster PDF library: The font for characters outside Windows-1252 cannot be used.\n"
       "The font subsetter cannot be loaded: " +
           modules + "fonts" + missing},
      {{"/gui"},
       ":79",
       "sleevemaster: the windows cannot be loaded: " + modules + "windows" + missing}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Arguments.front());
    const test::TempDir folder;
    const test::RunResult run = RunIn(folder, program, c.Arguments, false, c.Display);
    EXPECT_EQ(run.ExitCode, c.Said.empty() ? 0 : 1);
    EXPECT_EQ(c.Said.empty() ? run.Stderr : run.Stderr.substr(0, c.Said.size()), c.Said);
  }
}

}  // namespace
}  // namespace sleevemaster
