#include "mainwindow/tooltip_switch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QToolTip>

namespace sleevemaster {

ToolTipSwitch::ToolTipSwitch(QObject* parent) : QObject(parent) {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->installEventFilter(this);
}

ToolTipSwitch::~ToolTipSwitch() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->removeEventFilter(this);
}

void ToolTipSwitch::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled_)
    QToolTip::hideText();
}

bool ToolTipSwitch::eventFilter(QObject* watched, QEvent* event) {
  // An application filter sees the request before any widget does, so swallowing it here
  // silences the tooltips of menus, buttons and fields alike.
  if (!enabled_ && event->type() == QEvent::ToolTip)
    return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace sleevemaster
