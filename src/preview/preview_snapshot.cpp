#include "preview/preview_snapshot.h"

#include <string_view>

#include "pdf/page_geometry.h"

namespace sleevemaster {

namespace {

// The writer's message as the message box shows it: without "Error: " and the line end.
QString RefusalText(const std::string& error) {
  constexpr std::string_view kPrefix = "Error: ";
  std::string message = error;
  if (message.starts_with(kPrefix))
    message.erase(0, kPrefix.size());
  return QString::fromStdString(message).trimmed();
}

}  // namespace

PreviewSnapshot BuildPreviewSnapshot(const std::optional<CoverDocument>& document,
                                     const QString& problem, const PdfOutputOptions& options,
                                     const PrintCalibration& calibration, const LocalTime& now) {
  PreviewSnapshot snapshot;
  const PageSetup setup = ComputePageSetup(calibration);
  // Viewing in landscape turns the pages by 90 degrees (the page tree's /Rotate): a viewer,
  // and so the preview, shows the paper lying on its long side.
  snapshot.PagePoints = QSizeF(setup.MediaBoxWidth, setup.MediaBoxHeight);
  if (options.ViewInLandscape)
    snapshot.PagePoints.transpose();
  snapshot.Details = QStringLiteral("Calibration X %1 %, Y %2 %  \u00b7  %3 paper")
                         .arg(setup.XScalePercent)
                         .arg(setup.YScalePercent)
                         .arg(QString::fromLatin1(PaperName(calibration.PaperSize)));
  if (!document) {
    snapshot.Refusal = problem;
    return snapshot;
  }

  const CoverPdfResult result = WriteCoverPdf(*document, options, calibration, now);
  if (!result.Ok()) {
    snapshot.Refusal = RefusalText(result.Error);
    return snapshot;
  }
  snapshot.Pdf = QByteArray::fromStdString(result.Bytes);
  if (result.BackCoverLinesDrawn < result.BackCoverLines)
    snapshot.Details += QStringLiteral("  \u00b7  back cover: %1 of %2 lines fit")
                            .arg(result.BackCoverLinesDrawn)
                            .arg(result.BackCoverLines);
  if (document->MainTitle.empty())
    snapshot.Details += QStringLiteral("  \u00b7  no title yet: Save needs one");
  return snapshot;
}

}  // namespace sleevemaster
