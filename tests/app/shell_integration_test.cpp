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
