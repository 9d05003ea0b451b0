// What the desktop offers for PDF files: a viewer, a printer, and our own Open With entry.
#include "app/shell_integration.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

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
  EXPECT_NE(text.find("MimeType=application/pdf;"), std::string::npos);
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
