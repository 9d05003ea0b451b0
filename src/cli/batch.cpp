// The batch run: a read request made into an insert on disk, and the run with the stored
// settings around it.
#include "cli/batch.h"

#include <QFileInfo>

#include "cli/argument_text.h"
#include "cli/command_line.h"
#include "desktop/help_index.h"
#include "files/file_utils.h"
#include "pdf/cover_document.h"
#include "pdf/version.h"
#include "session/save_insert.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "tracks/track_lines.h"

namespace sleevemaster {

namespace {

void ShowStoreError(Desktop& desktop, const SettingsResult& error) {
  desktop.ShowMessage(ErrorBoxText(error.Message()), QString::fromLatin1(kProductName),
                      MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace

int ProcessCommandLine(const std::vector<std::string>& arguments,
                       const PrintCalibration& calibration, const LocalTime& now,
                       Desktop& desktop) {
  constexpr int kWritten = 0;
  constexpr int kNotWritten = 1;

  const CommandLineRequest request = ReadCommandLineRequest(arguments, now, desktop);
  if (request.ArgumentError) {
    if (desktop.HasDisplay())
      ShowHelpIndex(desktop);
    else
      desktop.PrintUsage(UsageText());
    return kNotWritten;
  }

  // A converted back cover text goes to the writer from memory: no file is made for it, and
  // the working back cover text file of an open window is never touched.
  CoverDocument document = request.Document;

  if (request.Tracks) {
    const TrackLines lines =
        FormatTrackLines(*request.Tracks, ComputeBackCoverCapacity(calibration));
    document.BackCoverText = lines.Text();
    // What the reading left out or could not know, then what fitting the card changed.
    std::vector<std::string> notes = request.Tracks->Notes;
    notes.insert(notes.end(), request.TrackNotes.begin(), request.TrackNotes.end());
    notes.insert(notes.end(), lines.Notes.begin(), lines.Notes.end());
    if (!notes.empty()) {
      QString text = QStringLiteral("Notes on the track list:");
      for (const std::string& note : notes)
        text += QStringLiteral("\n") + QString::fromStdString(note);
      desktop.ShowMessage(text, QString::fromLatin1(kProductName), MessageIcon::Information,
                          MessageButtons::Ok);
    }
  }

  InsertTarget target;
  target.Path = request.OutputFile;
  target.ShownName = PathText(request.OutputFile);
  target.AskBeforeReplacing = !request.ForceOverwrite;
  const SaveResult saved = SaveInsert(document, request.Options, calibration, now, target, desktop);
  if (!saved) {
    ShowSaveError(desktop, saved.Error());
    return kNotWritten;
  }

  // The album's picture was not asked for by name: say where it came from.
  if (!request.PictureSource.empty())
    desktop.PrintNotice(QStringLiteral("The front cover shows the album's picture from ") +
                        Quoted(PathText(request.PictureSource)) + QLatin1Char('.'));

  // Lines beyond the card's width are recorded in the document but not drawn: say so.
  if (const QString note = LinesLeftOutText(saved.Value()); !note.isEmpty())
    desktop.PrintNotice(note);

  // The printer's answer is not examined: the insert is written either way.
  if (request.PrintAfterWrite && IsRegularFile(request.OutputFile))
    desktop.PrintFile(QFileInfo(target.ShownName).absoluteFilePath());
  return kWritten;
}

int RunBatch(const std::vector<std::string>& arguments, Desktop& desktop,
             const SettingsStore& store) {
  AppSettings settings;
  if (const LoadResult loaded = store.LoadSettings(settings); loaded.Failed())
    ShowStoreError(desktop, loaded);
  int status = 1;
  if (const SettingsResult placed = store.RestoreWindowPositions(settings); placed.Failed())
    ShowStoreError(desktop, placed);
  else
    status = ProcessCommandLine(arguments, settings.Calibration, CurrentLocalTime(), desktop);
  // The close step's write is not reported, as at any close.
  store.SaveSettingsOnClose(settings);
  return status;
}

}  // namespace sleevemaster
