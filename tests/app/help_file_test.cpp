// The help file that Help > Index and a mistaken command line open: it must be built beside the
// program, be a real compiled help file, hold every page of its table of contents, and its
// command-line page must describe every switch that the program itself knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "pdf/header_keys.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/usage_text.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::RunProcess;
using test::RunResult;
using test::SwitchName;
using test::TextLines;
using test::UsageSwitches;

const std::string kSourceDir = SLEEVEMASTER_SOURCE_DIR;
const std::string kHelpSources = kSourceDir + "/help";

std::string BuiltHelpFile() {
  return (std::filesystem::path(SLEEVEMASTER_EXECUTABLE).parent_path() / "Sleevemaster.chm")
      .string();
}

// The values of every `name="Local" value="..."` entry of a sitemap (.hhc or .hhk).
std::vector<std::string> SitemapPages(const std::string& sitemap) {
  std::vector<std::string> pages;
  const std::string key = "name=\"Local\" value=\"";
  for (std::size_t at = sitemap.find(key); at != std::string::npos;
       at = sitemap.find(key, at + 1)) {
    const std::size_t start = at + key.size();
    const std::size_t end = sitemap.find('"', start);
    if (end == std::string::npos)
      break;
    pages.push_back(sitemap.substr(start, end - start));
  }
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

// The .htm files of the project's [FILES] section.
std::vector<std::string> ProjectPages(const std::string& project) {
  std::vector<std::string> pages;
  bool inFiles = false;
  for (std::string line : TextLines(project)) {
    if (line.ends_with('\r'))
      line.pop_back();
    if (line.starts_with("["))
      inFiles = line == "[FILES]";
    else if (inFiles && line.ends_with(".htm"))
      pages.push_back(line);
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

TEST(HelpFile, IsACompiledHelpFileBesideTheProgramWithEveryPageOfItsContents) {
  const std::string path = BuiltHelpFile();
  // The test command installs chmcmd, so a missing file is a broken build, not a reason to skip.
  ASSERT_TRUE(std::filesystem::is_regular_file(path))
      << path << " was not built (is chmcmd from fp-utils installed?)";
  const std::string bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 8u * 1024u) << path;
  EXPECT_EQ(bytes.substr(0, 4), "ITSF") << "not a compiled help file";

  const std::vector<std::string> pages =
      SitemapPages(ReadFileBytes(kHelpSources + "/Sleevemaster.hhc"));
  // A contents file that the parser no longer understands must not pass as an empty match.
  ASSERT_GE(pages.size(), 12u);
  // The help file's directory holds every stored name uncompressed, with a leading slash.
  for (const std::string& page : pages)
    EXPECT_NE(bytes.find("/" + page), std::string::npos) << page << " is not in " << path;
}

TEST(HelpSources, ContentsIndexAndProjectNameTheSamePagesAndEveryOneExists) {
  const std::vector<std::string> project =
      ProjectPages(ReadFileBytes(kHelpSources + "/Sleevemaster.hhp"));
  const std::vector<std::string> contents =
      SitemapPages(ReadFileBytes(kHelpSources + "/Sleevemaster.hhc"));
  ASSERT_FALSE(project.empty());
  // Every page is reachable from the contents, and the contents name no page left out of the file.
  EXPECT_EQ(contents, project);

  std::vector<std::string> indexPages =
      SitemapPages(ReadFileBytes(kHelpSources + "/Sleevemaster.hhk"));
  ASSERT_FALSE(indexPages.empty());
  for (const std::string& page : indexPages)
    EXPECT_NE(std::find(project.begin(), project.end(), page), project.end())
        << "the index points at " << page << ", which the help file does not hold";
  for (const std::string& page : project)
    EXPECT_TRUE(std::filesystem::is_regular_file(kHelpSources + "/" + page)) << page;
}

TEST(HelpSources, CommandLinePageDescribesEverySwitchOfTheProgramsUsage) {
  const RunResult help = RunProcess({SLEEVEMASTER_EXECUTABLE, "--help"});
  ASSERT_EQ(help.ExitCode, 0) << help.Stderr;
  const std::vector<std::string> switches = UsageSwitches(help.Stdout);
  ASSERT_GE(switches.size(), 15u) << help.Stdout;

  const std::string page = ReadFileBytes(kHelpSources + "/command-line.htm");
  ASSERT_FALSE(page.empty());
  // Each switch of the usage and of the reading has its own term in the page's list.
  std::vector<std::string> names = switches;
  for (const CommandLineSwitch& option : CommandLineSwitches())
    names.push_back(SwitchName(SwitchForm(option)));
  for (const std::string& name : names)
    EXPECT_NE(page.find("<dt><code>" + name), std::string::npos)
        << name << " is not described in command-line.htm";
}

// The limits the writer holds the texts to are the ones the usage, the manual page and the help
// state: for the title, and for each switch that fills a text of the insert.
TEST(HelpSources, EveryTextAboutTheCommandLineStatesTheFieldLimits) {
  const RunResult help = RunProcess({SLEEVEMASTER_EXECUTABLE, "--help"});
  ASSERT_EQ(help.ExitCode, 0) << help.Stderr;
  const std::string page = ReadFileBytes(kHelpSources + "/command-line.htm");
  const std::string man = ReadFileBytes(kSourceDir + "/man/sleevemaster.1");
  // A document's text from `start` up to the next `next`; empty when `start` is missing.
  const auto part = [](const std::string& text, const std::string& start, const std::string& next) {
    const std::size_t at = text.find(start);
    return at == std::string::npos ? std::string()
                                   : text.substr(at, text.find(next, at + start.size()) - at);
  };
  const auto says = [](const std::string& text, std::size_t limit) {
    return text.find("at most " + std::to_string(limit)) != std::string::npos;
  };

  const std::size_t title = LimitOf(CoverField::MainTitle);
  EXPECT_TRUE(says(part(help.Stdout, "The title may have", "\n"), title)) << help.Stdout;
  EXPECT_TRUE(says(part(man, "The title may have", "\n"), title));
  EXPECT_TRUE(says(part(page, "<b>title</b> (", ")"), title));
  int filling = 0;
  for (const CommandLineSwitch& option : CommandLineSwitches()) {
    if (!option.Fills)
      continue;
    ++filling;
    const std::size_t limit = LimitOf(*option.Fills);
    const std::string form = SwitchForm(option);
    EXPECT_TRUE(says(part(man, ".BI " + SwitchName(form), ".TP"), limit)) << form;
    EXPECT_TRUE(says(part(page, "<dt><code>" + form, "<dt>"), limit)) << form;
    // The usage is short: where it states a limit at all, it is this one.
    const std::string usage = part(help.Stdout, "  " + form + " ", "\n");
    ASSERT_FALSE(usage.empty()) << form;
    EXPECT_TRUE(says(usage, limit) || usage.find("at most") == std::string::npos) << usage;
  }
  EXPECT_GE(filling, 4) << "the subtitle, the corner, the inside jacket and the spines";
}

// Every link between the pages reaches a page of the help, and its anchor.
TEST(HelpSources, EveryLinkReachesAPageOfTheHelpAndItsAnchor) {
  const auto values = [](const std::string& page, const std::string& attribute) {
    std::vector<std::string> found;
    const std::string key = " " + attribute + "=\"";
    for (std::size_t at = page.find(key); at != std::string::npos; at = page.find(key, at + 1))
      found.push_back(
          page.substr(at + key.size(), page.find('"', at + key.size()) - at - key.size()));
    return found;
  };
  std::size_t links = 0;
  for (const auto& file : std::filesystem::directory_iterator(kHelpSources)) {
    for (const std::string& href : values(ReadFileBytes(file.path()), "href")) {
      if (file.path().extension() != ".htm" || href.find(':') != std::string::npos)
        continue;  // an address outside the help
      ++links;
      const std::size_t hash = href.find('#');
      const std::string target =
          kHelpSources + "/" + (hash == 0 ? file.path().filename().string() : href.substr(0, hash));
      const std::vector<std::string> ids = values(ReadFileBytes(target), "id");
      EXPECT_TRUE(std::filesystem::is_regular_file(target)) << file.path() << ": " << href;
      EXPECT_TRUE(hash == std::string::npos ||
                  std::find(ids.begin(), ids.end(), href.substr(hash + 1)) != ids.end())
          << file.path() << ": " << href;
    }
  }
  EXPECT_GT(links, 50u) << "the pages' links were not found";
}

}  // namespace
}  // namespace sleevemaster
