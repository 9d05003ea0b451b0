// The main window's part of the live preview: the menu command, and the insert as Save would
// write it at this moment.
#include <QMenu>
#include <optional>

#include "mainwindow/main_window.h"
#include "preview/live_preview.h"
#include "preview/preview_snapshot.h"
#include "ui_Mainform.h"

namespace sleevemaster {

void TMain::SetUpLivePreview() {
  live_preview_ = std::make_unique<LivePreview>(
      *this, settings_.Preview, [this] { return LivePreviewSnapshot(); },
      [this](const QString& message) { ShowError(message); });
  ui_->Tools1->addSeparator();
  ui_->Tools1->addAction(live_preview_->Action());
  live_preview_->Follow(this);
}

PreviewSnapshot TMain::LivePreviewSnapshot() {
  const Expected<CoverDocument, QString> document = session_.WritableDocument();
  return BuildPreviewSnapshot(document ? std::optional(document.Value()) : std::nullopt,
                              document ? QString() : document.Error(), PdfOptionsFromControls(),
                              settings_.Calibration, session_.Now());
}

}  // namespace sleevemaster
