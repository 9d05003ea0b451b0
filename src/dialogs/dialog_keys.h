// Keys in dialogs that have neither a default nor a cancel button.
#pragma once

#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>

namespace sleevemaster {

/// Escape does nothing and Enter presses the focused button, if any. Returns true when the
/// key was handled; anything else goes on to QDialog.
inline bool HandleDialogKey(QDialog& dialog, QKeyEvent& event) {
  if (event.matches(QKeySequence::Cancel)) {
    event.accept();
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
