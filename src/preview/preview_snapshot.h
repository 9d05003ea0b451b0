// The live preview's snapshot of the insert: the writer's bytes, or its refusal, with the
// calibration and paper in force. Made on the window's thread; the writer takes microseconds.
#pragma once

#include <QString>
#include <optional>

#include "pdf/cover_document.h"
#include "preview/preview_view.h"

namespace sleevemaster {

/// Runs the writer on the insert as Save would and describes the result. `document` empty
/// means the fields cannot be written; `problem` then says why.
PreviewSnapshot BuildPreviewSnapshot(const std::optional<CoverDocument>& document,
                                     const QString& problem, const PdfOutputOptions& options,
                                     const PrintCalibration& calibration, const LocalTime& now);

}  // namespace sleevemaster
