// What a start is asked to do, decided from the arguments alone, before any window exists.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace sleevemaster {

/// Options the entry answers itself, on stdout, before anything else.
enum class EntryOption { None, Help, Version };

/// "--help" or "--version" among the arguments before "--" (the first one found wins).
EntryOption FindEntryOption(const std::vector<std::string>& arguments);

/// The ways the program starts; NotADocument ends it at once with its refusal.
enum class StartMode { Interactive, OpenDocument, Batch, NotADocument };

struct StartDecision {
  StartMode Mode = StartMode::Interactive;
  std::string DocumentPath;  ///< for OpenDocument and NotADocument
};

/// What a start with NotADocument says about the path.
QString NotADocumentMessage(const std::string& path);

/// No arguments, or "/gui" in any case before "--": interactive. Exactly one argument whose
/// name ends in ".pdf" (any case, from the last "." of the file name): open the document when
/// it names a regular file (through a link too); refuse it when it names anything else (a
/// folder, a FIFO, a link to nothing), which is never a title. Everything else: the batch.
StartDecision DecideStartMode(const std::vector<std::string>& arguments);

/// Whether a display can be used: DISPLAY or WAYLAND_DISPLAY is set and not empty, and
/// QT_QPA_PLATFORM does not ask for the offscreen or minimal platform.
bool DisplayAvailable(std::string_view display, std::string_view waylandDisplay,
                      std::string_view qpaPlatform);
/// DisplayAvailable for this process's environment (always true on Windows and macOS).
bool DisplayAvailableFromEnvironment();

}  // namespace sleevemaster
