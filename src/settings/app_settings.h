// Every value that survives from one run of the program to the next.
#pragma once

#include <string>

#include "pdf/cover_document.h"

namespace sleevemaster {

/// Left and top edge of a window on the screen, in pixels.
struct WindowPosition {
  int Left = 0;
  int Top = 0;

  friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

/// The live preview window: its place and size, and whether it was shown at the last close.
/// Stored only once the preview has been opened, so the settings of a user who never opens it
/// stay exactly as they were.
struct PreviewWindowSettings {
  bool Stored = false;  ///< read from the store, or the preview has been opened in this run
  bool Shown = false;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  friend bool operator==(const PreviewWindowSettings&, const PreviewWindowSettings&) = default;
};

/// The persisted values, initialised to what holds while nothing has been read: these are the
/// defaults that the settings table (settings_table.h) falls back to. The windows keep their
/// positions here between loading and closing, whether or not they are ever shown.
struct AppSettings {
  // Where a first start places the windows, and where they stand while the store has placed
  // nothing, so a run that never reads the positions saves these.
  WindowPosition Main{75, 75};
  WindowPosition About{100, 200};
  WindowPosition Calibrate{100, 200};
  WindowPosition Options{100, 200};
  WindowPosition TextEdit{100, 100};

  bool DisplaySplashScreen = true;
  bool ShowToolTips = true;  ///< false switches every tooltip of the application off
  bool OverWriteAlways = false;

  PrintCalibration Calibration;  ///< its own defaults until the store is read

  /// Folder of the last saved document, with a trailing separator; empty when there is none.
  /// A path in the local 8-bit encoding, held byte for byte.
  std::string DocumentsFolder;

  /// Index of the PDF level choice: 0 PDF 1.1, 1 PDF 1.2, 2 PDF 1.3.
  int PdfLevel = 2;
  bool ViewInLandscape = true;
  bool ViewFullscreen = false;
  bool HideUiElements = false;

  PreviewWindowSettings Preview;

  friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

}  // namespace sleevemaster
