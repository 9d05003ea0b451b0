// The live preview window: both pages of the insert as the writer would save them now, drawn
// by QtPdf on a thread of its own, with the calibration and paper in force above them. When
// the writer refuses the texts, its message stands over the last good drawing, greyed.
//
// It fits the pages to the window by default, shows them at real size with "100 %", and zooms
// with Ctrl+wheel and Ctrl+plus/minus. Ctrl+L and Escape go back to the main window's hooks.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "preview/preview_layout.h"
#include "preview/preview_view.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace sleevemaster {

class PageRenderer;
struct RenderedPages;

/// Paints the two page images where the layout puts them, and a refusal over them.
class PageCanvas final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PageCanvas)

 public:
  explicit PageCanvas(QWidget* parent = nullptr);

  void SetPages(const std::array<QImage, 2>& pages);
  void SetLayout(QSize pageSize, PageArrangement arrangement);
  void SetRefusal(const QString& refusal);
  const QImage& Page(int page) const { return pages_[static_cast<std::size_t>(page)]; }
  const QString& Refusal() const { return refusal_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<QImage, 2> pages_;
  QSize page_size_{1, 1};
  PageArrangement arrangement_ = PageArrangement::SideBySide;
  QString refusal_;
};

class PreviewWindow final : public QWidget, public PreviewView {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PreviewWindow)

 public:
  explicit PreviewWindow(PreviewViewHooks hooks, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  QWidget* Widget() override { return this; }
  void ShowSnapshot(const PreviewSnapshot& snapshot) override;
  QImage PageImage(int page) const override;
  QString ShownRefusal() const override;
  QString ShownDetails() const override;
  int FinishedDrawings() const override { return finished_drawings_; }

  /// Fit to the window (the default), real size, or a zoom step in or out from what shows.
  void ZoomToFit();
  void ZoomToRealSize();
  void ZoomBy(int steps);
  /// Logical pixels per point of what shows, and whether it follows the window's size.
  double Scale() const { return scale_; }
  bool FitsWindow() const { return fit_; }
  PageArrangement Arrangement() const { return arrangement_; }

 signals:
  /// A drawing has reached the screen.
  void Drawn();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateLayout();
  void RequestDrawing();
  void TakeDrawing(const RenderedPages& pages);
  void ShowZoom();

  PreviewViewHooks hooks_;
  std::unique_ptr<PageRenderer> renderer_;
  QLabel* details_ = nullptr;
  QLabel* zoom_label_ = nullptr;
  QToolButton* fit_button_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  PageCanvas* canvas_ = nullptr;
  QTimer redraw_timer_;

  PreviewSnapshot snapshot_;
  /// The last bytes the writer accepted: what shows, or lies greyed beneath a refusal.
  QByteArray last_good_pdf_;
  QByteArray drawn_pdf_;
  double drawn_scale_ = 0;
  quint64 awaited_ = 0;
  int finished_drawings_ = 0;
  bool fit_ = true;
  double scale_ = 1.0;
  PageArrangement arrangement_ = PageArrangement::SideBySide;
};

}  // namespace sleevemaster
