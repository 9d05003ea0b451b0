// A library is loaded only by the runs that need it, as the dynamic loader itself reports; a
// module that cannot be loaded is named with the loader's reason, and runs that need no module
// go on without one.
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

const char* const kCueSheet =
    "TITLE \"Live\"\nFILE \"live.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"One\"\n"
    "    INDEX 01 00:00:00\n";

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
  const Strings windows{"libQt6Widgets.so", "libQt6Pdf.so", "libsleevemaster_windows.so",
                        "libsleevemaster_preview.so"};
  const Strings tracks{"libsleevemaster_tracks.so", "libtag.so", "libcue.so"};
  struct Case {
    const char* Name;
    Strings Arguments;
    Strings Loaded;
  };
  const Case cases[] = {{"a plain batch", {"Road Trip"}, {"libQt6Core.so"}},
                        {"a batch with a track list", {"/TRACKS:live.cue"}, tracks}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const test::TempDir folder;
    const test::RunResult run = RunIn(folder, SLEEVEMASTER_EXECUTABLE, c.Arguments, true);
    ASSERT_EQ(run.ExitCode, 0) << run.Stderr.substr(run.Stderr.size() - 2000);
    EXPECT_TRUE(fs::is_regular_file(folder.File("cover.pdf")));
    // What the loader initialised: the libraries that were loaded, and only those.
    std::string loaded;
    for (std::size_t at = run.Stderr.find("calling init: "); at != std::string::npos;
         at = run.Stderr.find("calling init: ", at + 1))
      loaded += run.Stderr.substr(at, run.Stderr.find('\n', at) - at + 1);
    for (const std::string& library : c.Loaded)
      EXPECT_NE(loaded.find("/" + library), std::string::npos) << library << " in\n" << loaded;
    for (const Strings& unwanted : {windows, c.Loaded == tracks ? Strings{} : tracks})
      for (const std::string& library : unwanted)
        EXPECT_EQ(loaded.find("/" + library), std::string::npos) << library << " in\n" << loaded;
  }
}

TEST(ModulesTest, AModuleThatCannotBeLoadedIsNamedWithTheLoadersReason) {
  // The program alone in a folder of its own, without the modules beside it.
  const test::TempDir prefix;
  fs::create_directories(prefix.File("bin"));
  const std::string program = prefix.File("bin/sleevemaster");
  fs::copy_file(SLEEVEMASTER_EXECUTABLE, program);
  const fs::path modules = fs::path(prefix.File("bin/" SLEEVEMASTER_MODULE_DIR)).lexically_normal();
  const std::string tracks = (modules / "libsleevemaster_tracks.so").string();
  struct Case {
    const char* Name;
    Strings Arguments;
    const char* Display;
    bool PlantAnotherModule;  // the preview module under the track readers' name
    std::string Said;         // what stderr begins with; nothing when empty
  };
  const Case cases[] = {
      {"a plain batch needs none", {"Road Trip"}, nullptr, false, ""},
      {"no track readers",
       {"/TRACKS:live.cue"},
       nullptr,
       false,
       "Sleevemaster: The track readers cannot be loaded: " + tracks +
           ": cannot open shared object file: No such file or directory\n"},
      {"no windows",
       {},
       ":79",
       false,
       "sleevemaster: the windows cannot be loaded: " +
           (modules / "libsleevemaster_windows.so").string() +
           ": cannot open shared object file: No such file or directory\n"},
      {"not the track readers",
       {"/TRACKS:live.cue"},
       nullptr,
       true,
       "Sleevemaster: The track readers cannot be loaded: " + tracks +
           ": undefined symbol: SleevemasterReadTrackSource\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.PlantAnotherModule) {
      fs::create_directories(modules);
      fs::copy_file(SLEEVEMASTER_BINARY_DIR "/bin/" SLEEVEMASTER_MODULE_DIR
                                            "/libsleevemaster_preview.so",
                    tracks);
    }
    const test::TempDir folder;
    const test::RunResult run = RunIn(folder, program, c.Arguments, false, c.Display);
    EXPECT_EQ(run.ExitCode, c.Said.empty() ? 0 : 1);
    // The message comes first; the usage may follow.
    EXPECT_EQ(c.Said.empty() ? run.Stderr : run.Stderr.substr(0, c.Said.size()), c.Said);
  }
}

}  // namespace
}  // namespace sleevemaster
