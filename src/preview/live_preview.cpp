#include "preview/live_preview.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "files/program_module.h"
#include "widgets/window_place.h"

namespace sleevemaster {

namespace {

// Changes made in one go (New resets ten fields) make one drawing: the timer fires once the
// event loop is free again. Keystrokes need no more waiting: the drawing thread only ever draws
// the newest insert, so a fast typist's letters are drawn together, never queued up.
constexpr int kSettleMs = 0;

// Where a preview that has never been shown opens: beside the main window, at a size that
// shows both pages readably.
constexpr int kDefaultWidth = 820;
constexpr int kDefaultHeight = 560;
constexpr int kBesideGap = 12;
// How much of the window's top left corner must lie on a screen for its place to be kept.
constexpr int kVisibleCorner = 20;
// The narrowest a first preview is made to stand beside the main window rather than over it.
constexpr int kNarrowestBeside = 480;

}  // namespace

std::unique_ptr<PreviewView> LoadPreviewModule(const PreviewViewHooks& hooks, QString& error) {
  const auto create = LoadModuleEntry<SleevemasterCreatePreviewFn>("sleevemaster_preview",
                                                                   SLEEVEMASTER_PREVIEW_ENTRY);
  if (!create) {
    error = QString::fromLocal8Bit(create.Error());
    return nullptr;
  }
  return std::unique_ptr<PreviewView>(create.Value()(&hooks));
}

LivePreview::LivePreview(QWidget& mainWindow, PreviewWindowSettings& place, SnapshotSource source,
                         ErrorReport report, ViewFactory factory)
    : QObject(&mainWindow),
      main_window_(mainWindow),
      place_(place),
      source_(std::move(source)),
      report_(std::move(report)),
      factory_(std::move(factory)) {
  action_ = new QAction(QStringLiteral("&Live Preview"), this);
  action_->setObjectName(QStringLiteral("MenuLivePreview"));
  action_->setCheckable(true);
  action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  action_->setToolTip(QStringLiteral("Shows the insert as it will print, while you type"));
  connect(action_, &QAction::toggled, this, [this](bool shown) { SetShown(shown); });
  debounce_.setSingleShot(true);
  debounce_.setInterval(kSettleMs);
  connect(&debounce_, &QTimer::timeout, this, [this] { Refresh(); });
}

LivePreview::~LivePreview() = default;

void LivePreview::Follow(QWidget* root) {
  for (QLineEdit* edit : root->findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::textChanged, this, [this] { Changed(); });
  for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
    if (button->isCheckable())
      connect(button, &QAbstractButton::toggled, this, [this] { Changed(); });
  }
}

void LivePreview::Changed() {
  if (IsShown())
    debounce_.start();
}

bool LivePreview::IsShown() const {
  return view_ != nullptr && view_->Widget()->isVisible();
}

bool LivePreview::EnsureView() {
  if (view_)
    return true;
  if (load_failed_)
    return false;
  PreviewViewHooks hooks;
  hooks.ToggleRequested = [this] { action_->toggle(); };
  hooks.ReturnFocus = [this] {
    main_window_.raise();
    main_window_.activateWindow();
  };
  hooks.Closed = [this] { action_->setChecked(false); };
  QString error;
  view_ = factory_(hooks, error);
  if (view_)
    return true;
  load_failed_ = true;
  if (report_)
    report_(QStringLiteral("The live preview cannot be shown: %1").arg(error));
  return false;
}

void LivePreview::PlaceView() {
  if (window_place_) {
    // Shown again in this run: where it stood when it was hidden.
    window_place_->Place(window_place_->Frame(), window_place_->ClientSize());
    return;
  }
  window_place_ = std::make_unique<WindowPlace>(*view_->Widget(), WindowPlace::Sizing::Resizable);
  // A place on a screen that is no longer there (a monitor unplugged) is not kept: the
  // window would open far from where the user works.
  const QPoint corner(place_.Left + kVisibleCorner, place_.Top + kVisibleCorner);
  if (place_.Stored && place_.Width > 0 && place_.Height > 0 &&
      QGuiApplication::screenAt(corner) != nullptr) {
    window_place_->Place({place_.Left, place_.Top}, {place_.Width, place_.Height});
    return;
  }
  PlaceBesideMainWindow();
}

void LivePreview::PlaceBesideMainWindow() {
  const QRect main = main_window_.frameGeometry();
  const int border = main.width() - main_window_.width();  // the frame's left and right sides
  const QScreen* screen = main_window_.screen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : main;
  const int right = main.right() + 1 + kBesideGap;
  const int roomRight = area.right() + 1 - right - border;
  const int roomLeft = main.left() - kBesideGap - area.left() - border;
  // The side with room for it; narrower there rather than over the main window, while both
  // pages stay readable. Without such room, the placing keeps it on the screen over the window.
  const bool left = roomRight < kDefaultWidth && roomLeft > roomRight;
  const int room = left ? roomLeft : roomRight;
  const int width = room >= kNarrowestBeside ? std::min(kDefaultWidth, room) : kDefaultWidth;
  const int x = left ? main.left() - kBesideGap - border - width : right;
  window_place_->Place({x, main.top()}, {width, kDefaultHeight});
}

void LivePreview::SetShown(bool shown) {
  if (shown == IsShown()) {
    action_->setChecked(shown);
    return;
  }
  if (!shown) {
    RememberPlace();
    view_->Widget()->hide();
    place_.Shown = false;
    action_->setChecked(false);
    return;
  }
  if (!EnsureView()) {
    action_->setChecked(false);
    return;
  }
  PlaceView();
  view_->ShowSnapshot(source_());
  view_->Widget()->show();
  place_.Stored = true;
  place_.Shown = true;
  action_->setChecked(true);
}

void LivePreview::RestoreAtStart() {
  if (place_.Shown)
    SetShown(true);
}

void LivePreview::RememberPlace() {
  if (!window_place_)
    return;
  place_.Stored = true;
  place_.Left = window_place_->Frame().x();
  place_.Top = window_place_->Frame().y();
  place_.Width = window_place_->ClientSize().width();
  place_.Height = window_place_->ClientSize().height();
}

void LivePreview::CloseWithMainWindow() {
  if (!view_)
    return;
  const bool shown = IsShown();
  RememberPlace();
  view_->Widget()->hide();
  place_.Shown = shown;
}

void LivePreview::Refresh() {
  if (IsShown())
    view_->ShowSnapshot(source_());
}

}  // namespace sleevemaster
