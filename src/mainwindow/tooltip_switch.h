// The application-wide switch for tooltips (the hints of every window).
#pragma once

#include <QObject>

namespace sleevemaster {

/// Filters the tooltip requests of the whole application: while off, no widget of any window
/// shows its tooltip, and switching on brings every tooltip back at once. Needs a
/// QCoreApplication; installs itself on it while it lives.
class ToolTipSwitch final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ToolTipSwitch)

 public:
  explicit ToolTipSwitch(QObject* parent = nullptr);
  ~ToolTipSwitch() override;

  /// Turns every tooltip on or off; a tooltip on the screen goes away when they are turned off.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool enabled_ = true;
};

}  // namespace sleevemaster
