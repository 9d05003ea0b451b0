// Keys in dialogs that have no default button: Enter acts on the focused button only.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>

namespace sleevemaster {

/// Escape presses `leave`, the button that closes the dialog and changes nothing (Cancel, or
/// the OK of a box that only shows something), as a user expects of every dialog; Enter
/// presses the focused button, if any, never a default one. Returns true when the key was
/// handled; anything else goes on to QDialog.
inline bool HandleDialogKey(QDialog& dialog, QKeyEvent& event, QAbstractButton& leave) {
  if (event.matches(QKeySequence::Cancel)) {
    event.accept();
    leave.click();
    return true;
  }
  const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
  if (enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    auto* button = qobject_cast<QPushButton*>(dialog.focusWidget());
    if (button != nullptr && dialog.isAncestorOf(button)) {
      event.accept();
      button->click();
      return true;
    }
  }
  return false;
}

}  // namespace sleevemaster
