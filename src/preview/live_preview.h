// The main window's side of the live preview: the Tools menu's checkable "&Live Preview"
// (Ctrl+L), following every change of the fields, and the preview window's place in the
// settings. The window itself, with QtPdf, lives in a module of its own that is loaded the
// first time the preview shows, so a run that never shows it never loads QtPdf.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "preview/preview_view.h"
#include "settings/app_settings.h"

class QAction;
class QWidget;

namespace sleevemaster {

class WindowPlace;

/// Loads the preview module from the window module's folder and builds its window; empty
/// with `error` set when it cannot.
std::unique_ptr<PreviewView> LoadPreviewModule(const PreviewViewHooks& hooks, QString& error);

class LivePreview final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(LivePreview)

 public:
  using SnapshotSource = std::function<PreviewSnapshot()>;
  using ViewFactory =
      std::function<std::unique_ptr<PreviewView>(const PreviewViewHooks& hooks, QString& error)>;
  using ErrorReport = std::function<void(const QString& message)>;

  /// `mainWindow` is where the preview stands beside and where Escape returns; `place` is
  /// read when the preview first shows and kept up to date; `source` gives the insert as it
  /// stands; `report` shows a message when the preview cannot be loaded.
  LivePreview(QWidget& mainWindow, PreviewWindowSettings& place, SnapshotSource source,
              ErrorReport report, ViewFactory factory = LoadPreviewModule);
  ~LivePreview() override;

  /// The checkable menu command, Ctrl+L, for the main window's Tools menu.
  QAction* Action() const { return action_; }

  /// Follows every edit and every checkable button within `root`.
  void Follow(QWidget* root);
  /// Something the insert depends on has changed: redraw shortly, if shown.
  void Changed();

  void SetShown(bool shown);
  bool IsShown() const;
  /// Shows the preview when it was shown at the last close.
  void RestoreAtStart();
  /// Keeps the place and whether it was shown, and hides it with the main window.
  void CloseWithMainWindow();

  /// The preview window once it has been built.
  PreviewView* View() const { return view_.get(); }

 private:
  bool EnsureView();
  void PlaceView();
  void PlaceBesideMainWindow();
  void RememberPlace();
  void Refresh();

  QWidget& main_window_;
  PreviewWindowSettings& place_;
  SnapshotSource source_;
  ErrorReport report_;
  ViewFactory factory_;
  QAction* action_ = nullptr;
  QTimer debounce_;
  std::unique_ptr<PreviewView> view_;
  std::unique_ptr<WindowPlace> window_place_;
  bool load_failed_ = false;
};

}  // namespace sleevemaster
