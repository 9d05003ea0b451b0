// Entry of the window module: every run that needs a display comes here, an interactive start
// with its windows and a batch whose messages are message boxes.
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/start_mode.h"
#include "app/stop_signals.h"
#include "app/window_module.h"
#include "cli/batch.h"
#include "desktop/console_desktop.h"
#include "desktop/program_path.h"
#include "desktop/qt_desktop.h"
#include "dialogs/Aboutform/about_dialog.h"
#include "dialogs/Calibrateform/calibrate_dialog.h"
#include "dialogs/Optionsform/options_dialog.h"
#include "dialogs/Splashform/splash_screen.h"
#include "dialogs/Texteditform/text_edit_dialog.h"
#include "mainwindow/main_window.h"
#include "pdf/version.h"
#include "session/private_folder.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

namespace {

using namespace sleevemaster;

// A display named in the environment may still be out of reach (a stale DISPLAY over ssh, a
// stopped server). Qt would abort there; with offscreen as the last choice it starts anyway,
// and the caller can tell by the platform it got.
void FallBackToOffscreen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                   ? "xcb;offscreen"
                                   : "wayland;xcb;offscreen");
}

bool ReachedNoDisplay() {
  const QString platform = QGuiApplication::platformName();
  return platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
}

// A batch may still end up without a visible display: a message box there would wait for
// nobody, so its messages go to the console instead.
int RunBatchWithDisplay(char** argv, const std::vector<std::string>& arguments) {
  EndBatchOnStopSignals();
  FallBackToOffscreen();
  // Qt sees only the program name: every argument belongs to the batch, so a title such as
  // "-platform" cannot change how Qt starts.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  const QString folder = ExecutableFolderOf(argv[0]);
  if (ReachedNoDisplay()) {
    ConsoleDesktop desktop(folder);
    return RunBatch(arguments, desktop, SettingsStore());
  }
  QtDesktop desktop(folder);
  return RunBatch(arguments, desktop, SettingsStore());
}

// A single argument that names no document: said in a box where one can be seen.
int RefuseStart(char** argv, const StartDecision& start) {
  FallBackToOffscreen();
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  const QString folder = ExecutableFolderOf(argv[0]);
  const QString caption = QString::fromLatin1(kProductName);
  if (ReachedNoDisplay())
    ConsoleDesktop(folder).ShowMessage(NotADocumentMessage(start.DocumentPath), caption,
                                       MessageIcon::Error, MessageButtons::Ok);
  else
    QtDesktop(folder).ShowMessage(NotADocumentMessage(start.DocumentPath), caption,
                                  MessageIcon::Error, MessageButtons::Ok);
  return 1;
}

// Closes every open dialog, message box and menu, as their close boxes would.
void CloseModalWindows() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible())
      continue;
    if (auto* dialog = qobject_cast<QDialog*>(widget))
      dialog->reject();
    else if (qobject_cast<QMenu*>(widget) != nullptr)
      widget->close();
  }
}

// Ends the window after a stop signal. Open dialogs are cancelled first; the close step runs
// once control is back in the main event loop, where no dialog waits for its answer any more.
// Before that loop runs, the start-up asks Requested() itself.
class WindowStop final : public QObject {
 public:
  explicit WindowStop(TMain*& main) : main_(main) {}

  void Handle() {
    if (!stopping_) {
      stopping_ = true;
      QCoreApplication::instance()->installEventFilter(this);
    }
    CloseModalWindows();
    if (main_ == nullptr || !in_main_loop_ || ended_)
      return;
    // A dialog's own loop still runs until its caller has its answer: come back then. One
    // that will not end keeps the window no longer than a few seconds.
    if (QThread::currentThread()->loopLevel() > 1 && ++attempts_ < 150) {
      QTimer::singleShot(20, main_, [this] { Handle(); });
      return;
    }
    ended_ = true;
    main_->CloseWithoutQuestions();
    QCoreApplication::quit();
  }

  void MainLoopStarted(bool requested) {
    in_main_loop_ = true;
    if (requested)
      Handle();
  }

 protected:
  // A dialog that shows once the program is stopping (the next of two start warnings, say) is
  // cancelled as soon as its loop runs: nobody is left to answer it.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* dialog = qobject_cast<QDialog*>(watched);
      if (dialog != nullptr && dialog->isWindow())
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
    }
    return false;
  }

 private:
  TMain*& main_;
  bool stopping_ = false;
  bool in_main_loop_ = false;
  bool ended_ = false;
  int attempts_ = 0;
};

int RunWindows(char** argv, const StartDecision& start) {
  // A stop signal from here on ends the window through its close step, once there is one.
  HoldWindowStopSignals();
  FallBackToOffscreen();
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  if (ReachedNoDisplay()) {
    // Windows nobody can see would keep the program running for nothing.
    std::fputs(
        "sleevemaster: the window needs a graphical desktop, and the display cannot be "
        "reached; give a title to make an insert from the command line (see --help).\n",
        stderr);
    return 1;
  }
  QApplication::setApplicationName(QString::fromLatin1(kProductName));
  QApplication::setOrganizationName(QStringLiteral("Quenmoor"));

  StopSignalNotifier stop;
  TMain* mainWindow = nullptr;
  WindowStop ending(mainWindow);
  QObject::connect(&stop, &StopSignalNotifier::StopRequested, &stop,
                   [&ending] { ending.Handle(); });
  // Stopped while the display was being reached: the start warnings are not waited for.
  if (stop.Requested())
    ending.Handle();

  QtDesktop desktop(ExecutableFolderOf(argv[0]));
  SettingsStore store;
  AppSettings settings;
  // The dialogs exist before the main window is built, whose create step uses none of them.
  TAbout about(desktop);
  TCalibrate calibrator(desktop);
  TSplash splash;
  TOptions options;
  TTextEdit textEditor(desktop);
  // The working files' folder is private to the user; the create step says so when there is
  // none that can be used.
  PrivateFolder folder = DefaultPrivateFolder();
  TMain main({desktop, store, settings, textEditor, std::move(folder.Path), CurrentLocalTime,
              &calibrator, &options, &about, &splash, std::move(folder.Problem)});
  mainWindow = &main;
  if (!stop.Requested())
    main.FormShow(start);
  if (stop.Requested()) {
    main.CloseWithoutQuestions();
    return 0;
  }
  QTimer::singleShot(0, &stop, [&ending, &stop] { ending.MainLoopStarted(stop.Requested()); });
  application.exec();
  return 0;
}

}  // namespace

extern "C" Q_DECL_EXPORT int SleevemasterWindowMain(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const StartDecision start = DecideStartMode(arguments);
  if (start.Mode == StartMode::Batch)
    return RunBatchWithDisplay(argv, arguments);
  if (start.Mode == StartMode::NotADocument)
    return RefuseStart(argv, start);
  return RunWindows(argv, start);
}

// The entry's type must match what the executable expects.
static_assert(std::is_same_v<decltype(&SleevemasterWindowMain), SleevemasterWindowMainFn>);
