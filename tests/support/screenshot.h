// Pictures of widgets, for a developer to look at.
#pragma once

#include <string>

class QWidget;

namespace sleevemaster::test {

/// Saves a picture of the widget as `name`.png into the folder SLEEVEMASTER_SCREENSHOTS names,
/// or, when that is not set, into a temporary folder that goes again at once; fails the test
/// when the widget cannot be pictured or the file cannot be written.
void SaveScreenshot(QWidget& widget, const std::string& name);

}  // namespace sleevemaster::test
