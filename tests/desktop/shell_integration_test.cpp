// What the desktop offers for PDF files: a viewer, a printer, and our own Open With entry.
#include "desktop/shell_integration.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
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

TEST(ShellIntegration, EditEntryIsWrittenOnceAndNeverChanged) {
  TempDir dir;
  const XdgFolders folders = FoldersIn(dir);
  const std::string entry = dir.File("data/applications/sleevemaster-edit.desktop");
  ASSERT_TRUE(EnsureEditEntry(folders, QStringLiteral("/opt/my apps/sleevemaster")));
  const std::string text = ReadFileBytes(entry);
  EXPECT_NE(text.find("Name=Edit with Sleevemaster\n"), std::string::npos);
  // The path is quoted, so its blank does not split it; the file is the single argument.
  EXPECT_NE(text.find("Exec=\"/opt/my apps/sleevemaster\" %f\n"), std::string::npos) << text;

  WriteFileBytes(entry, "[Desktop Entry]\nName=Mine\n");
  EXPECT_TRUE(EnsureEditEntry(folders, QStringLiteral("/elsewhere/sleevemaster")));
  EXPECT_EQ(ReadFileBytes(entry), "[Desktop Entry]\nName=Mine\n");
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

// A throwaway desktop in a temporary folder: the files named in `files` ("path=text|path=text"),
// the system's MIME database (which knows the aliases of application/pdf), and the environment that
// shows it to gio and xdg-utils.
struct StandInDesktop {
  TempDir Root;
  XdgFolders Folders;
  test::RunOptions Options;
  StandInDesktop(const std::string& files, const char* desktop = nullptr) {
    std::filesystem::create_directories(Root.File("share/applications"));
    std::filesystem::create_directory_symlink("/usr/share/mime", Root.File("share/mime"));
    for (const QString& file : QString::fromStdString(files).split(u'|', Qt::SkipEmptyParts)) {
      const std::string path = Root.File(file.section(u'=', 0, 0).toStdString());
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      WriteFileBytes(path, file.section(u'=', 1).toStdString());
    }
    Folders = FoldersIn(Root);
    Folders.DataDirs = {Q(Root.File("share"))};
    for (const auto& [name, folder] : {std::pair{"HOME", "home"},
                                       {"XDG_CONFIG_HOME", "config"},
                                       {"XDG_CONFIG_DIRS", "etc-xdg"},
                                       {"XDG_DATA_HOME", "data"},
                                       {"XDG_DATA_DIRS", "share"}})
      Options.Environment[name] = Root.File(folder);
    Options.Environment["XDG_CURRENT_DESKTOP"] =
        desktop ? std::optional<std::string>(desktop) : std::nullopt;
    Options.Environment["DESKTOP_SESSION"] = std::nullopt;
    if (desktop)
      Folders.CurrentDesktops = {QString::fromLatin1(desktop).toLower()};
  }
  // "<gio's default> <xdg-mime's default>", "-" for none, and " offered" when gio offers ours.
  std::string PdfDefaults() const {
    // gio's answer is read by its English words, whatever the locale the suite runs under.
    test::RunOptions english = Options;
    english.Environment["LC_ALL"] = "C.UTF-8";
    english.Environment["LANGUAGE"] = std::nullopt;
    std::string gio = test::RunProcess({"gio", "mime", "application/pdf"}, english).Stdout;
    std::string xdg =
        test::RunProcess({"xdg-mime", "query", "default", "application/pdf"}, Options).Stdout;
    const bool offered = gio.find("\n\tsleevemaster-edit.desktop\n") != std::string::npos;
    const std::size_t named = gio.find("”: ");
    gio =
        named == std::string::npos ? "-" : gio.substr(named + 5, gio.find(".desktop") - named - 5);
    xdg = xdg.empty() ? "-" : xdg.substr(0, xdg.find(".desktop"));
    return gio + " " + xdg + (offered ? " offered" : "");
  }
};

// The first start in the desktops a user may have: wherever another application opens PDF
// files, gio and xdg-mime (which xdg-open asks) still name it, so neither a double-click nor
// Preview reaches Sleevemaster, and gio offers "Edit with Sleevemaster" behind it.
TEST(PdfAssociation, TheFirstStartLeavesTheDefaultWhereAnotherApplicationOpensPdfFiles) {
  for (const char* tool : {"gio", "xdg-mime"})
    if (!test::ProgramAvailable(tool))
      GTEST_SKIP() << tool << " is not installed";
  const std::string apps = "|share/applications/";
  const std::string pdf =
      ".desktop=[Desktop Entry]\nType=Application\nExec=true %f\nName=V\n"
      "MimeType=application/pdf;\n";
  const std::string cache = apps + "mimeinfo.cache=[MIME Cache]\n";
  const std::string defaults = "mimeapps.list=[Default Applications]\napplication/pdf=";
  std::string earlier = EditEntryText(QStringLiteral("true")).toStdString();
  earlier.insert(earlier.find("NoDisplay"), "MimeType=application/pdf;\n");
  const struct {
    const char* Name;
    std::string Files;
    const char* Desktop;
    const char* Before;
    const char* After;
  } cases[] = {
      {"no other PDF application", "", nullptr, "- -", "sleevemaster-edit - offered"},
      {"xpdf in the system's cache", apps + "xpdf" + pdf + cache + "application/pdf=xpdf.desktop;",
       nullptr, "xpdf xpdf", "xpdf xpdf offered"},
      {"ImageMagick's display, by the alias image/pdf",
       apps + "display.desktop=[Desktop Entry]\nType=Application\nExec=true\nName=D\n" + cache +
           "image/pdf=display.desktop;",
       nullptr, "display -", "display - offered"},
      // Without a cache GIO knew no application; it now names the one xdg-mime finds.
      {"a viewer under XDG_DATA_DIRS, no cache", apps + "viewer" + pdf, nullptr, "- viewer",
       "viewer viewer offered"},
      {"a default in the desktop's own list",
       apps + "a" + pdf + apps + "evince" + pdf + cache +
           "application/pdf=a.desktop;evince.desktop" + "|etc-xdg/gnome-" + defaults +
           "evince.desktop",
       "GNOME", "evince evince", "evince evince offered"},
      {"a default the user chose",
       apps + "mupdf" + pdf + apps + "xpdf" + pdf + cache +
           "application/pdf=mupdf.desktop;xpdf.desktop;|config/" + defaults + "xpdf.desktop;",
       nullptr, "xpdf xpdf", "xpdf xpdf offered"},
      {"an earlier start's entry and line, which had taken over",
       apps + "viewer" + pdf + "|data/applications/sleevemaster-edit.desktop=" + earlier +
           "|config/mimeapps.list=[Added Associations]\napplication/pdf=sleevemaster-edit.desktop",
       nullptr, "sleevemaster-edit sleevemaster-edit offered", "viewer viewer offered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const StandInDesktop desktop(c.Files, c.Desktop);
    EXPECT_EQ(desktop.PdfDefaults(), c.Before);
    ASSERT_TRUE(EnsureEditEntry(desktop.Folders, QStringLiteral("/bin/true")));
    ASSERT_TRUE(EnsureEditEntryAssociation(desktop.Folders));
    EXPECT_EQ(desktop.PdfDefaults(), c.After);
  }
}

// Help > Index asks whether a browser would show the page; the real xdg-open, in the same
// stand-in desktop with the system's programs but none of its browsers, shows whether one does.
TEST(WebBrowser, IsAvailableExactlyWhereXdgOpenShowsThePageInABrowsersWindow) {
  for (const char* tool : {"xdg-open", "xdg-mime", "file"})
    if (!test::ProgramAvailable(tool))
      GTEST_SKIP() << tool << " is not installed";
  const std::string entry = ".desktop=[Desktop Entry]\nType=Application\nName=W\nExec=";
  const struct {
    const char* Name;
    std::string Files;    ///< bin/x: a stand-in browser that says what it is
    const char* Browser;  ///< $BROWSER
    bool Shown;
  } cases[] = {
      {"no browser at all", "", nullptr, false},
      {"only lynx", "bin/lynx=text", nullptr, false},
      {"x-www-browser", "bin/x-www-browser=graphical", nullptr, true},
      {"$BROWSER", "bin/surf=graphical|bin/lynx=text", "surf", true},
      {"the user's default for HTML",
       "bin/web=graphical|share/applications/web" + entry +
           "web %u\n|config/mimeapps.list=[Default Applications]\ntext/html=web.desktop\n",
       nullptr, true},
      {"a terminal browser's entry and no terminal",
       "bin/w3m=text|share/applications/w3m" + entry + "w3m %u\nTerminal=true\n" +
           "|share/applications/mimeinfo.cache=[MIME Cache]\ntext/html=w3m.desktop;\n",
       nullptr, false},
  };
  const std::string browsers =
      " x-www-browser firefox iceweasel seamonkey mozilla epiphany konqueror chromium "
      "chromium-browser google-chrome www-browser links2 elinks links lynx w3m run-mailcap "
      "mimeopen x-terminal-emulator ";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    StandInDesktop desktop(c.Files);
    const std::filesystem::path bin = desktop.Root.File("bin");
    const std::string record = desktop.Root.File("record");
    std::filesystem::create_directories(bin);
    for (const auto& program : std::filesystem::directory_iterator(bin)) {
      WriteFileBytes(program.path(),
                     "#!/bin/sh\necho " + ReadFileBytes(program.path()) + " > '" + record + "'\n");
      std::filesystem::permissions(program.path(), std::filesystem::perms::owner_all);
    }
    for (const auto& program : std::filesystem::directory_iterator("/usr/bin")) {
      const std::string name = program.path().filename();
      if (browsers.find(" " + name + " ") == std::string::npos && !exists(bin / name))
        std::filesystem::create_symlink(program.path(), bin / name);
    }
    const std::string page = desktop.Root.File("index.htm");
    WriteFileBytes(page, "<!DOCTYPE html><html><head><title>Help</title></head></html>\n");

    test::ScopedEnvironmentVariable path("PATH", bin);
    test::ScopedEnvironmentVariable display("DISPLAY", ":99");
    test::ScopedEnvironmentVariable browser("BROWSER", c.Browser ? c.Browser : "");
    test::ScopedEnvironmentVariable terminal("TERMINAL", "");
    const bool available = WebBrowserAvailable(desktop.Folders);
    desktop.Options.Environment["BROWSER"] = c.Browser ? c.Browser : "";
    test::RunProcess({"xdg-open", page}, desktop.Options);
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
