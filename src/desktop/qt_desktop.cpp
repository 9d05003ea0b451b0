#include "desktop/qt_desktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <cstdio>
#include <utility>

namespace sleevemaster {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// A dialog whose parent is not on the screen yet (the main window during its create step) is
// put in the middle of that screen, not over where the parent has not been moved yet. Its
// size is known only once its own show step has run, so it is placed right after that, before
// it reaches the screen.
template <typename Dialog>
class OwnedDialog final : public Dialog {
 public:
  using Dialog::Dialog;

 protected:
  void showEvent(QShowEvent* event) override {
    Dialog::showEvent(event);
    const QWidget* parent = this->parentWidget();
    if (event->spontaneous() || parent == nullptr || parent->isVisible())
      return;  // over a visible parent, where the toolkit has put it
    if (const QScreen* screen = parent->screen())
      this->move(screen->availableGeometry().center() - this->rect().center());
  }
};

}  // namespace

QWidget* DialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget())
    return modal;
  if (QWidget* active = QApplication::activeWindow())
    return active;
  // No window has the focus: at start, before the main window shows, or while the desktop
  // has given the focus elsewhere.
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (QWidget* window : windows)
    if (qobject_cast<QMainWindow*>(window) != nullptr)
      return window;
  return nullptr;
}

QtDesktop::QtDesktop(QString executableFolder) : SystemDesktop(std::move(executableFolder)) {}

MessageAnswer QtDesktop::ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                                     MessageButtons buttons) {
  OwnedDialog<QMessageBox> box(BoxIcon(icon), caption, text, BoxButtons(buttons), DialogParent());
  // Paths and user texts are never markup.
  box.setTextFormat(Qt::PlainText);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:
      // Closed some other way: the answer that changes nothing.
      return buttons == MessageButtons::Ok      ? MessageAnswer::Ok
             : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                : MessageAnswer::Cancel;
  }
}

void QtDesktop::PrintUsage(const QString& usage) {
  const QByteArray bytes = usage.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

void QtDesktop::PrintNotice(const QString& line) {
  PrintUsage(line + QLatin1Char('\n'));
}

namespace {

QString RunFileDialog(const FileDialogOptions& options, QFileDialog::AcceptMode mode) {
  OwnedDialog<QFileDialog> dialog(DialogParent(), options.Caption, options.InitialFolder,
                                  options.Filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  // The program asks about replacing a file itself.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setDefaultSuffix(options.DefaultSuffix);
  if (!options.FileName.isEmpty())
    dialog.selectFile(options.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtDesktop::GetOpenFileName(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptOpen);
}

QString QtDesktop::GetSaveFileName(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptSave);
}

QString QtDesktop::GetExistingFolder(const FileDialogOptions& options) {
  QFileDialog dialog(QApplication::activeWindow(), options.Caption, options.InitialFolder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace sleevemaster
