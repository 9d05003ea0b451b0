// SIGTERM, SIGINT and SIGHUP: how a run of the program ends when one of them arrives.
//
// A batch simply stops: its handler removes the temporary files of a save in progress and
// lets the signal end the program as it would have. The window hears of the signal through a
// socket pair and a QSocketNotifier, the way Qt's own documentation shows, so that the close
// step runs in the event loop, never inside the handler. A signal that was ignored when the
// program started (nohup) stays ignored.
#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace sleevemaster {

/// For a batch: a stop signal removes the files of RemoveFilesOnStop() and ends the program
/// by that signal.
void EndBatchOnStopSignals();

/// For the window, from the moment its module starts, before the application object exists:
/// a stop signal is held until a StopSignalNotifier reports it.
void HoldWindowStopSignals();

/// For the window: reports each stop signal as StopRequested() from the event loop, also one
/// held since HoldWindowStopSignals(). A second
/// one that arrives before the first was handled ends the program as a batch's would, so a
/// window that no longer answers can still be stopped. One at a time; the handlers go back to
/// their defaults when it goes.
class StopSignalNotifier final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(StopSignalNotifier)

 public:
  explicit StopSignalNotifier(QObject* parent = nullptr);
  ~StopSignalNotifier() override;

  /// Whether a stop signal has arrived, also one the event loop has not yet reported.
  bool Requested() const;
  /// Whether the handlers are in place (the socket pair could be made).
  bool Listening() const { return notifier_ != nullptr; }

 signals:
  void StopRequested();

 private:
  void Drain();

  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace sleevemaster
