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

/// The places a first start stores. They are also where the windows stand while the store
/// has placed nothing, so a run that never reads the positions saves these.
inline constexpr WindowPosition kFirstStartMainPosition{75, 75};
inline constexpr WindowPosition kFirstStartAboutPosition{100, 200};
inline constexpr WindowPosition kFirstStartCalibratePosition{100, 200};
inline constexpr WindowPosition kFirstStartOptionsPosition{100, 200};
inline constexpr WindowPosition kFirstStartTextEditPosition{100, 100};

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

/// The persisted values, initialised to what holds while nothing has been read. The windows
/// keep their positions here between loading and closing, whether or not they are ever shown.
struct AppSettings {
  WindowPosition Main = kFirstStartMainPosition;
  WindowPosition About = kFirstStartAboutPosition;
  WindowPosition Calibrate = kFirstStartCalibratePosition;
  WindowPosition Options = kFirstStartOptionsPosition;
  WindowPosition TextEdit = kFirstStartTextEditPosition;

  bool DisplaySplashScreen = true;
  bool ShowToolTips = true;  ///< false switches every tooltip of the application off
  bool OverWriteAlways = false;

  PrintCalibration Calibration;  ///< 242 x 120 mm, shown in inches, Letter paper

  /// Folder of the last saved document, with a trailing separator; empty when there is none.
  /// A path in the local 8-bit encoding, held byte for byte.
  std::string DocumentsFolder;

  /// Index of the PDF level choice: 0 PDF 1.1, 1 PDF 1.2, 2 PDF 1.3.
  int PdfLevel = 2;
  bool ViewInLandscape = true;
  bool ViewFullscreen = false;
  bool HideUiElements = false;

  PreviewWindowSettings Preview;
};

}  // namespace sleevemaster
