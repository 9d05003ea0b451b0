#include "app/start_mode.h"

#include "document/document_header.h"

#include <QFile>
#include <cstdlib>

#include "files/file_utils.h"

namespace sleevemaster {

namespace {

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size())
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i])
      return false;
  }
  return true;
}

std::string_view EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

EntryOption FindEntryOption(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--")
      break;
    if (argument == "--help")
      return EntryOption::Help;
    if (argument == "--version")
      return EntryOption::Version;
  }
  return EntryOption::None;
}

StartDecision DecideStartMode(const std::vector<std::string>& arguments) {
  StartDecision decision;
  if (arguments.empty())
    return decision;
  for (const std::string& argument : arguments) {
    if (argument == "--")
      break;
    if (EqualsNoCase(argument, "/gui"))
      return decision;
  }
  if (arguments.size() == 1 && HasPdfExtension(arguments.front())) {
    const std::string& path = arguments.front();
    if (IsRegularFile(path)) {
      decision.Mode = StartMode::OpenDocument;
      decision.DocumentPath = path;
      return decision;
    }
    // Someone meant a document here: writing cover.pdf with the folder's name as the title
    // would answer the wrong question.
    if (PathExists(path)) {
      decision.Mode = StartMode::NotADocument;
      decision.DocumentPath = path;
      return decision;
    }
  }
  decision.Mode = StartMode::Batch;
  return decision;
}

QString NotADocumentMessage(const std::string& path) {
  return QStringLiteral("The document \"%1\" is not a regular file.")
      .arg(QFile::decodeName(QByteArray::fromStdString(path)));
}

bool DisplayAvailable(std::string_view display, std::string_view waylandDisplay,
                      std::string_view qpaPlatform) {
  // "offscreen:fontengine=freetype" names the offscreen platform with an option.
  const std::string_view platform = qpaPlatform.substr(0, qpaPlatform.find(':'));
  if (platform == "offscreen" || platform == "minimal")
    return false;
  return !display.empty() || !waylandDisplay.empty();
}

bool DisplayAvailableFromEnvironment() {
#if defined(_WIN32) || defined(__APPLE__)
  const std::string_view platform = EnvironmentValue("QT_QPA_PLATFORM");
  return DisplayAvailable("desktop", "", platform);
#else
  return DisplayAvailable(EnvironmentValue("DISPLAY"), EnvironmentValue("WAYLAND_DISPLAY"),
                          EnvironmentValue("QT_QPA_PLATFORM"));
#endif
}

}  // namespace sleevemaster
