// What the main window and the live preview module share: the snapshot of the insert that the
// preview draws, and the preview window's face towards the main window. Nothing here needs
// QtPdf, so the window module includes it without linking the PDF renderer.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <functional>

class QWidget;

namespace sleevemaster {

/// The insert as the writer would save it at one moment, with what the pages alone cannot say.
struct PreviewSnapshot {
  /// The complete PDF bytes; empty when the writer refused the texts.
  QByteArray Pdf;
  /// The writer's refusal (or why the fields cannot be written), shown instead of the pages.
  QString Refusal;
  /// One line on the calibration in force and the paper, and any note on the texts.
  QString Details;
  /// The size of each page in points as a viewer shows it (turned when viewed in landscape).
  QSizeF PagePoints{612, 792};
};

/// How the preview window reaches back to the main window.
struct PreviewViewHooks {
  std::function<void()> ToggleRequested;  ///< Ctrl+L pressed in the preview
  std::function<void()> ReturnFocus;      ///< Escape pressed in the preview
  std::function<void()> Closed;           ///< closed by its close box
};

/// The live preview window, as the module builds it.
class PreviewView {
 public:
  virtual ~PreviewView() = default;
  /// The top-level window itself.
  virtual QWidget* Widget() = 0;
  /// Follows the insert: a new drawing is started off the event loop's thread.
  virtual void ShowSnapshot(const PreviewSnapshot& snapshot) = 0;

  /// The last finished drawing of page 0 or 1 (null before the first).
  virtual QImage PageImage(int page) const = 0;
  /// The refusal shown over the greyed drawing; empty while the pages show.
  virtual QString ShownRefusal() const = 0;
  /// The details line as shown.
  virtual QString ShownDetails() const = 0;
  /// How many drawings have finished and reached the screen.
  virtual int FinishedDrawings() const = 0;
};

}  // namespace sleevemaster

/// The module's entry: builds the preview window (not shown); the caller owns it.
#define SLEEVEMASTER_PREVIEW_ENTRY "SleevemasterCreatePreview"
extern "C" {
using SleevemasterCreatePreviewFn =
    sleevemaster::PreviewView* (*)(const sleevemaster::PreviewViewHooks* hooks);
}
