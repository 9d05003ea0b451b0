// What the desktop offers for PDF files: a viewer, a printer, and our own Open With entry.
#include "app/shell_integration.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/environment.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

QString Q(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// XDG folders that lie wholly inside a temporary folder.
XdgFolders FoldersIn(const TempDir& dir) {
  XdgFolders folders;
  folders.ConfigHome = Q(dir.File("config"));
  folders.ConfigDirs = {Q(dir.File("etc-xdg"))};
  folders.DataHome = Q(dir.File("data"));
  folders.DataDirs = {Q(dir.File("usr-share"))};
  return folders;
}

void WriteEntry(const std::string& folder, const std::string& name, const std::string& mime) {
  std::filesystem::create_directories(folder);
  WriteFileBytes(folder + "/" + name, "[Desktop Entry]\nType=Application\nName=" + name +
                                          "\nExec=x %f\nMimeType=" + mime + "\n");
}

// Runs `body` with PATH set to `path`, restoring it afterwards.
template <typename Body>
void WithPath(const std::string& path, Body body) {
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  setenv("PATH", path.c_str(), 1);
  body();
  setenv("PATH", saved.c_str(), 1);
}

TEST(ShellIntegration, ViewerIsADefaultOrADeclaringApplicationButNeverOurOwnEntry) {
  if (!std::filesystem::exists("/usr/bin/xdg-open"))
    GTEST_SKIP() << "xdg-open is not installed";
  TempDir dir;
  const XdgFolders folders = FoldersIn(dir);
  EXPECT_FALSE(PdfViewerAvailable(folders));

  // Our own edit entry opens PDF files too, but is not a viewer.
  ASSERT_TRUE(EnsureEditEntry(folders, QStringLiteral("/opt/sm/sleevemaster")));
  EXPECT_FALSE(PdfViewerAvailable(folders));

  // A default named in mimeapps.list counts only while its entry exists.
  std::filesystem::create_directories(dir.File("config"));
  WriteFileBytes(dir.File("config/mimeapps.list"),
                 "[Default Applications]\napplication/pdf=gone.desktop;\n");
  EXPECT_FALSE(PdfViewerAvailable(folders));
  WriteEntry(dir.File("usr-share/applications"), "gone.desktop", "text/plain;");
  EXPECT_TRUE(PdfViewerAvailable(folders));

  // Without any default, an installed application that declares PDF files is enough.
  TempDir other;
  WriteEntry(other.File("usr-share/applications"), "reader.desktop", "image/png;application/pdf;");
  EXPECT_TRUE(PdfViewerAvailable(FoldersIn(other)));
}

TEST(ShellIntegration, EditEntryIsWrittenOnceAndOnlyAnEarlierStartsEntryIsMended) {
  TempDir dir;
  const XdgFolders folders = FoldersIn(dir);
  const std::string entry = dir.File("data/applications/sleevemaster-edit.desktop");
  ASSERT_TRUE(EnsureEditEntry(folders, QStringLiteral("/opt/my apps/sleevemaster")));
  const std::string text = ReadFileBytes(entry);
  EXPECT_NE(text.find("Name=Edit with Sleevemaster\n"), std::string::npos);
  // The path is quoted, so its blank does not split it; the file is the single argument.
  EXPECT_NE(text.find("Exec=\"/opt/my apps/sleevemaster\" %f\n"), std::string::npos) << text;

  // What an earlier start wrote loses only its MimeType line; the user's own entry stays.
  std::string earlier = text;
  earlier.insert(earlier.find("NoDisplay="), "MimeType=application/pdf;\n");
  for (const auto& [before, after] :
       {std::pair{earlier, text}, std::pair{earlier + "Keywords=mine;\n", std::string()},
        std::pair<std::string, std::string>{"[Desktop Entry]\n", ""}}) {
    WriteFileBytes(entry, before);
    EXPECT_TRUE(EnsureEditEntry(folders, QStringLiteral("/elsewhere/sleevemaster")));
    EXPECT_EQ(ReadFileBytes(entry), after.empty() ? before : after);
  }
}

TEST(ShellIntegration, ExecQuotingEscapesWhatTheShellWouldRead) {
  const QString text = EditEntryText(QStringLiteral("/a \"b\" $c\\d 100%/sleevemaster"));
  // Quoting escapes " $ \ with a backslash, the value escapes every backslash once more, and
  // a literal percent sign doubles.
  EXPECT_TRUE(text.contains(
      QStringLiteral("Exec=\"/a \\\\\"b\\\\\" \\\\$c\\\\\\\\d 100%%/sleevemaster\" %f")))
      << text.toStdString();
}

TEST(ShellIntegration, AnInstalledEntryServesAndIsNotHiddenByACopyOfTheUsers) {
  TempDir dir;
  const XdgFolders folders = FoldersIn(dir);
  WriteEntry(dir.File("usr-share/applications"), kEditEntryFileName, "application/pdf;");
  EXPECT_TRUE(EnsureEditEntry(folders, QStringLiteral("/usr/bin/sleevemaster")));
  EXPECT_FALSE(HasUserEditEntry(folders));
  EXPECT_FALSE(std::filesystem::exists(dir.File("data/applications")));

  // A link in the user's folder is the user's entry: nothing is written through it.
  TempDir other;
  std::filesystem::create_directories(other.File("data/applications"));
  const std::string target = other.File("elsewhere.desktop");
  std::filesystem::create_symlink(target,
                                  other.File("data/applications/sleevemaster-edit.desktop"));
  EXPECT_TRUE(EnsureEditEntry(FoldersIn(other), QStringLiteral("/usr/bin/sleevemaster")));
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(MimeAppsList, EditEntryIsAddedOnceAtTheEndOfThePdfListAndNothingElseChanges) {
  const QString pdf = QStringLiteral("application/pdf");
  const QString own = QStringLiteral("sleevemaster-edit.desktop");
  const struct {
    const char* Before;
    const char* After;
  } cases[] = {
      {"", "[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;\n"},
      // The user's defaults stay the defaults; a new group goes after them.
      {"[Default Applications]\napplication/pdf=evince.desktop\ntext/plain=gedit.desktop;\n",
       "[Default Applications]\napplication/pdf=evince.desktop\ntext/plain=gedit.desktop;\n\n"
       "[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;\n"},
      // An existing list of the type grows at its end, whatever its last separator.
      {"[Added Associations]\napplication/pdf=a.desktop;b.desktop;\nimage/png=c.desktop;\n",
       "[Added Associations]\napplication/pdf=a.desktop;b.desktop;sleevemaster-edit.desktop;\n"
       "image/png=c.desktop;\n"},
      {"[Added Associations]\napplication/pdf=a.desktop\n",
       "[Added Associations]\napplication/pdf=a.desktop;sleevemaster-edit.desktop;\n"},
      // A group without the type gains a line after its last one, before the next group.
      {"# mine\n[Added Associations]\nimage/png=c.desktop;\n\n[Default Applications]\n"
       "image/png=c.desktop\n",
       "# mine\n[Added Associations]\nimage/png=c.desktop;\n"
       "application/pdf=sleevemaster-edit.desktop;\n\n[Default Applications]\n"
       "image/png=c.desktop\n"},
      // Already there: unchanged, even without a final line break.
      {"[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;a.desktop;",
       "[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;a.desktop;"},
      // The user removed it: it stays removed.
      {"[Removed Associations]\napplication/pdf=sleevemaster-edit.desktop;\n",
       "[Removed Associations]\napplication/pdf=sleevemaster-edit.desktop;\n"},
      // Lines ending in a carriage return keep it.
      {"[Added Associations]\r\napplication/pdf=a.desktop\r\n",
       "[Added Associations]\r\napplication/pdf=a.desktop;sleevemaster-edit.desktop;\r\n"},
      // Another type's line that merely mentions the entry does not count.
      {"[Added Associations]\napplication/pdfx=sleevemaster-edit.desktop;\n",
       "[Added Associations]\napplication/pdfx=sleevemaster-edit.desktop;\n"
       "application/pdf=sleevemaster-edit.desktop;\n"},
  };
  for (const auto& c : cases) {
    const QString after = WithAddedAssociation(QString::fromUtf8(c.Before), pdf, own);
    EXPECT_EQ(after.toStdString(), c.After) << c.Before;
    EXPECT_EQ(WithAddedAssociation(after, pdf, own), after) << "added twice to " << c.Before;
    // Never a default: the "Default Applications" lines are the same before and after.
    const auto defaults = [](const QString& text) {
      QStringList lines;
      bool inDefaults = false;
      for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('[')))
          inDefaults = line == QStringLiteral("[Default Applications]");
        else if (inDefaults)
          lines.append(line);
      }
      return lines.join(QLatin1Char('|')).toStdString();
    };
    EXPECT_EQ(defaults(after), defaults(QString::fromUtf8(c.Before))) << c.Before;
  }
}

TEST(MimeAppsList, FileIsWrittenPrivatelyKeptOtherwiseAndALinkIsNotFollowed) {
  namespace fs = std::filesystem;
  TempDir dir;
  const XdgFolders folders = FoldersIn(dir);
  const std::string list = dir.File("config/mimeapps.list");

  // New: folder and file private to the user.
  ASSERT_TRUE(EnsureEditEntryAssociation(folders));
  EXPECT_EQ(ReadFileBytes(list),
            "[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;\n");
  EXPECT_EQ(fs::status(list).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(dir.File("config")).permissions() & fs::perms::all, fs::perms::owner_all);

  // Existing: its other lines and its mode stay; a second start changes nothing.
  WriteFileBytes(list, "[Default Applications]\ntext/html=firefox.desktop\n");
  fs::permissions(list, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(EnsureEditEntryAssociation(folders));
  ASSERT_TRUE(EnsureEditEntryAssociation(folders));
  EXPECT_EQ(ReadFileBytes(list),
            "[Default Applications]\ntext/html=firefox.desktop\n\n[Added Associations]\n"
            "application/pdf=sleevemaster-edit.desktop;\n");
  EXPECT_EQ(fs::status(list).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A link, dangling or not, stays a link and its target is not written.
  for (const bool dangling : {true, false}) {
    TempDir linked;
    fs::create_directories(linked.File("config"));
    const std::string target = linked.File("dotfiles-mimeapps.list");
    if (!dangling)
      WriteFileBytes(target, "[Default Applications]\n");
    fs::create_symlink(target, linked.File("config/mimeapps.list"));
    EXPECT_FALSE(EnsureEditEntryAssociation(FoldersIn(linked)));
    EXPECT_TRUE(fs::is_symlink(linked.File("config/mimeapps.list")));
    EXPECT_EQ(fs::exists(target), !dangling);
    if (!dangling) {
      EXPECT_EQ(ReadFileBytes(target), "[Default Applications]\n");
    }
  }

  // A list that is not UTF-8 text, a folder in its place, or a list too large to be the
  // user's, is left alone.
  TempDir latin1;
  fs::create_directories(latin1.File("config"));
  const std::string notUtf8 = "[Default Applications]\n# caf\xe9\n";
  WriteFileBytes(latin1.File("config/mimeapps.list"), notUtf8);
  EXPECT_FALSE(EnsureEditEntryAssociation(FoldersIn(latin1)));
  EXPECT_EQ(ReadFileBytes(latin1.File("config/mimeapps.list")), notUtf8);
  TempDir odd;
  fs::create_directories(odd.File("config/mimeapps.list"));
  EXPECT_FALSE(EnsureEditEntryAssociation(FoldersIn(odd)));
  TempDir large;
  fs::create_directories(large.File("config"));
  const std::string big(1024 * 1024 + 1, '#');
  WriteFileBytes(large.File("config/mimeapps.list"), big);
  EXPECT_FALSE(EnsureEditEntryAssociation(FoldersIn(large)));
  EXPECT_EQ(ReadFileBytes(large.File("config/mimeapps.list")).size(), big.size());
}

// What gio and xdg-mime answer for PDF files in the throwaway desktop below `root`: the
// default application ("" for none), and whether gio offers the edit entry at all.
struct PdfAnswers {
  std::string Gio;
  std::string XdgMime;
  bool Offered = false;
};

PdfAnswers AskTheDesktop(const TempDir& root, const char* currentDesktop) {
  test::RunOptions options;
  options.Environment = {{"HOME", root.File("home")},
                         {"XDG_CONFIG_HOME", root.File("config")},
                         {"XDG_CONFIG_DIRS", root.File("etc-xdg")},
                         {"XDG_DATA_HOME", root.File("data")},
                         {"XDG_DATA_DIRS", root.File("share")},
                         {"DESKTOP_SESSION", std::nullopt},
                         {"KDE_FULL_SESSION", std::nullopt}};
  options.Environment["XDG_CURRENT_DESKTOP"] =
      currentDesktop ? std::optional<std::string>(currentDesktop) : std::nullopt;
  PdfAnswers answers;
  const test::RunResult gio = test::RunProcess({"gio", "mime", "application/pdf"}, options);
  const std::string named = "”: ";
  const std::size_t at = gio.Stdout.find(named);
  if (gio.Stdout.starts_with("Default application") && at != std::string::npos)
    answers.Gio = gio.Stdout.substr(at + named.size(), gio.Stdout.find('\n') - at - named.size());
  answers.Offered = gio.Stdout.find("\n\tsleevemaster-edit.desktop\n") != std::string::npos;
  const test::RunResult xdgMime =
      test::RunProcess({"xdg-mime", "query", "default", "application/pdf"}, options);
  answers.XdgMime = xdgMime.Stdout.substr(0, xdgMime.Stdout.find('\n'));
  return answers;
}

// The first start in the desktops a user may have: Sleevemaster joins the Open With list of
// PDF files, and wherever another application opens them, it still does for gio and xdg-mime
// (xdg-open asks one or the other), so neither a double-click nor Preview reaches Sleevemaster.
TEST(PdfAssociation, TheFirstStartLeavesTheDefaultWhereAnotherApplicationOpensPdfFiles) {
  for (const char* tool : {"gio", "xdg-mime"})
    if (!test::ProgramAvailable(tool))
      GTEST_SKIP() << tool << " is not installed";
  const std::string viewer = "[Desktop Entry]\nType=Application\nExec=true %f\nName=";
  const std::string pdf = "MimeType=application/pdf;\n";
  const std::string cache = "[MIME Cache]\napplication/pdf=";
  const struct {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;
    const char* CurrentDesktop;
    PdfAnswers Before;
    PdfAnswers After;
  } cases[] = {
      {"no other PDF application: the edit entry is the one GIO offers",
       {},
       nullptr,
       {"", "", false},
       {"sleevemaster-edit.desktop", "", true}},
      {"xpdf's entry in the system's cache",
       {{"share/applications/xpdf.desktop", viewer + "X\n" + pdf},
        {"share/applications/mimeinfo.cache", cache + "xpdf.desktop;\n"}},
       nullptr,
       {"xpdf.desktop", "xpdf.desktop"},
       {"xpdf.desktop", "xpdf.desktop", true}},
      {"ImageMagick's display, by the alias image/pdf",
       {{"share/applications/display-im6.q16.desktop", viewer + "D\nMimeType=image/pdf;\n"},
        {"share/applications/mimeinfo.cache",
         "[MIME Cache]\nimage/pdf=display-im6.q16.desktop;\n"}},
       nullptr,
       {"display-im6.q16.desktop", ""},
       {"display-im6.q16.desktop", "", true}},
      // GIO knew no application without a cache; it now names the one xdg-mime finds.
      {"a viewer under XDG_DATA_DIRS without a cache",
       {{"share/applications/viewer.desktop", viewer + "V\n" + pdf}},
       nullptr,
       {"", "viewer.desktop"},
       {"viewer.desktop", "viewer.desktop", true}},
      {"a default in the desktop's own list",
       {{"share/applications/a.desktop", viewer + "A\n" + pdf},
        {"share/applications/evince.desktop", viewer + "E\n" + pdf},
        {"share/applications/mimeinfo.cache", cache + "a.desktop;evince.desktop;\n"},
        {"etc-xdg/gnome-mimeapps.list",
         "[Default Applications]\napplication/pdf=evince.desktop\n"}},
       "GNOME",
       {"evince.desktop", "evince.desktop"},
       {"evince.desktop", "evince.desktop", true}},
      {"a default the user chose",
       {{"share/applications/mupdf.desktop", viewer + "M\n" + pdf},
        {"share/applications/xpdf.desktop", viewer + "X\n" + pdf},
        {"share/applications/mimeinfo.cache", cache + "mupdf.desktop;xpdf.desktop;\n"},
        {"config/mimeapps.list", "[Default Applications]\napplication/pdf=xpdf.desktop;\n"}},
       nullptr,
       {"xpdf.desktop", "xpdf.desktop"},
       {"xpdf.desktop", "xpdf.desktop", true}},
      // The installed entry, and an earlier start's line and entry that had taken over.
      {"the installed entry beside xpdf",
       {{"share/applications/xpdf.desktop", viewer + "X\n" + pdf},
        {"share/applications/sleevemaster-edit.desktop", viewer + "Edit\n"},
        {"share/applications/mimeinfo.cache", cache + "xpdf.desktop;\n"}},
       nullptr,
       {"xpdf.desktop", "xpdf.desktop"},
       {"xpdf.desktop", "xpdf.desktop", true}},
      {"an earlier start's association",
       {{"share/applications/viewer.desktop", viewer + "V\n" + pdf},
        {"data/applications/sleevemaster-edit.desktop",
         "[Desktop Entry]\nType=Application\nName=Edit with Sleevemaster\nComment=Open a jewel "
         "case insert made by Sleevemaster for editing\nExec=true %f\nIcon=sleevemaster\n" +
             pdf + "NoDisplay=true\nTerminal=false\n"},
        {"config/mimeapps.list",
         "[Added Associations]\napplication/pdf=sleevemaster-edit.desktop;\n"}},
       nullptr,
       {"sleevemaster-edit.desktop", "sleevemaster-edit.desktop", true},
       {"viewer.desktop", "viewer.desktop", true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir root;
    for (const char* folder : {"home", "etc-xdg", "data", "share/applications"})
      std::filesystem::create_directories(root.File(folder));
    // The system's MIME database, which knows the aliases of application/pdf.
    std::filesystem::create_directory_symlink("/usr/share/mime", root.File("share/mime"));
    for (const auto& [name, text] : c.Files) {
      std::filesystem::create_directories(std::filesystem::path(root.File(name)).parent_path());
      WriteFileBytes(root.File(name), text);
    }
    XdgFolders folders = FoldersIn(root);
    folders.DataDirs = {Q(root.File("share"))};
    if (c.CurrentDesktop)
      folders.CurrentDesktops = {QString::fromLatin1(c.CurrentDesktop).toLower()};
    const PdfAnswers before = AskTheDesktop(root, c.CurrentDesktop);
    EXPECT_EQ(before.Gio, c.Before.Gio);
    EXPECT_EQ(before.XdgMime, c.Before.XdgMime);

    ASSERT_TRUE(EnsureEditEntry(folders, QStringLiteral("/bin/true")));
    ASSERT_TRUE(EnsureEditEntryAssociation(folders));
    const PdfAnswers after = AskTheDesktop(root, c.CurrentDesktop);
    EXPECT_EQ(after.Gio, c.After.Gio);
    EXPECT_EQ(after.XdgMime, c.After.XdgMime);
    EXPECT_TRUE(after.Offered) << "gio does not offer the edit entry for PDF files";
    // A second start finds everything in place and writes nothing.
    const std::string list = ReadFileBytes(root.File("config/mimeapps.list"));
    ASSERT_TRUE(EnsureEditEntryAssociation(folders));
    EXPECT_EQ(ReadFileBytes(root.File("config/mimeapps.list")), list);
  }
}

// Help > Index asks whether a browser would show the page; the real xdg-open, run in the same
// stand-in desktop, shows whether one does. The stand-in browsers record how they were reached,
// and PATH holds the system's programs without its browsers.
TEST(WebBrowser, IsAvailableExactlyWhereXdgOpenShowsThePageInABrowsersWindow) {
  for (const char* tool : {"xdg-open", "xdg-mime", "file"})
    if (!test::ProgramAvailable(tool))
      GTEST_SKIP() << tool << " is not installed";
  const std::string html = "text/html=";
  const auto entry = [](const std::string& exec) {
    return "[Desktop Entry]\nType=Application\nName=Web\nExec=" + exec + " %u\n";
  };
  const struct {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;  ///< "bin/x": a graphical browser
    const char* Browser;                                     ///< $BROWSER
    bool Shown;
  } cases[] = {
      {"no browser at all", {}, nullptr, false},
      {"only lynx", {{"bin/lynx", "text"}}, nullptr, false},
      {"x-www-browser", {{"bin/x-www-browser", "graphical"}}, nullptr, true},
      {"$BROWSER", {{"bin/surf", "graphical"}, {"bin/lynx", "text"}}, "surf", true},
      {"the user's default for HTML",
       {{"bin/webview", "graphical"},
        {"share/applications/webview.desktop", entry("webview")},
        {"config/mimeapps.list", "[Default Applications]\n" + html + "webview.desktop\n"}},
       nullptr,
       true},
      {"a terminal browser's entry and no terminal",
       {{"bin/w3m", "text"},
        {"share/applications/w3m.desktop", entry("w3m") + "Terminal=true\n"},
        {"share/applications/mimeinfo.cache", "[MIME Cache]\n" + html + "w3m.desktop;\n"}},
       nullptr,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir root;
    const std::string bin = root.File("bin");
    std::filesystem::create_directories(bin);
    for (const char* folder : {"home", "config", "share/applications"})
      std::filesystem::create_directories(root.File(folder));
    const std::string record = root.File("record");
    for (const auto& [name, text] : c.Files)
      WriteFileBytes(root.File(name), name.starts_with("bin/")
                                          ? "#!/bin/sh\necho " + text + " > '" + record + "'\n"
                                          : text);
    for (const auto& [name, text] : c.Files)
      if (name.starts_with("bin/"))
        std::filesystem::permissions(root.File(name), std::filesystem::perms::owner_all);
    const std::vector<std::string> browsers{"x-www-browser",
                                            "firefox",
                                            "iceweasel",
                                            "seamonkey",
                                            "mozilla",
                                            "epiphany",
                                            "konqueror",
                                            "chromium",
                                            "chromium-browser",
                                            "google-chrome",
                                            "www-browser",
                                            "links2",
                                            "elinks",
                                            "links",
                                            "lynx",
                                            "w3m",
                                            "run-mailcap",
                                            "mimeopen",
                                            "x-terminal-emulator"};
    for (const auto& program : std::filesystem::directory_iterator("/usr/bin")) {
      const std::string name = program.path().filename();
      if (std::find(browsers.begin(), browsers.end(), name) == browsers.end() &&
          !std::filesystem::exists(bin + "/" + name))
        std::filesystem::create_symlink(program.path(), bin + "/" + name);
    }
    const std::string page = root.File("index.htm");
    WriteFileBytes(page, "<!DOCTYPE html><html><head><title>Help</title></head></html>\n");

    test::ScopedEnvironmentVariable path("PATH", bin);
    test::ScopedEnvironmentVariable display("DISPLAY", ":99");
    test::ScopedEnvironmentVariable browser("BROWSER");
    test::ScopedEnvironmentVariable terminal("TERMINAL");
    unsetenv("BROWSER");
    unsetenv("TERMINAL");
    if (c.Browser)
      browser.Set(c.Browser);
    XdgFolders folders = FoldersIn(root);
    folders.DataDirs = {Q(root.File("share"))};
    const bool available = WebBrowserAvailable(folders);

    test::RunOptions options;
    options.Environment = {{"HOME", root.File("home")},
                           {"XDG_CONFIG_HOME", root.File("config")},
                           {"XDG_CONFIG_DIRS", root.File("etc-xdg")},
                           {"XDG_DATA_HOME", root.File("data")},
                           {"XDG_DATA_DIRS", root.File("share")},
                           {"XDG_CURRENT_DESKTOP", std::nullopt},
                           {"DESKTOP_SESSION", std::nullopt}};
    options.TimeoutSeconds = 20;
    test::RunProcess({"xdg-open", page}, options);
    const bool shown = ReadFileBytes(record) == "graphical\n";
    EXPECT_EQ(shown, c.Shown) << "xdg-open: " << ReadFileBytes(record);
    EXPECT_EQ(available, shown);
  }
}

TEST(ShellIntegration, PrinterNeedsLpAndADestination) {
  TempDir dir;
  const std::string bin = dir.File("bin");
  std::filesystem::create_directories(bin);
  WithPath(bin, [] { EXPECT_FALSE(PrinterAvailable()); });

  WriteFileBytes(bin + "/lp", "#!/bin/sh\nexit 0\n");
  WriteFileBytes(bin + "/lpstat", "#!/bin/sh\nexit 1\n");
  for (const char* tool : {"/lp", "/lpstat"})
    std::filesystem::permissions(bin + tool, std::filesystem::perms::owner_all);
  WithPath(bin + ":/usr/bin:/bin", [] { EXPECT_FALSE(PrinterAvailable()); });

  WriteFileBytes(bin + "/lpstat", "#!/bin/sh\necho office\n");
  WithPath(bin + ":/usr/bin:/bin", [] { EXPECT_TRUE(PrinterAvailable()); });
}

}  // namespace
}  // namespace sleevemaster
