#include "preview/preview_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <utility>

#include "preview/page_renderer.h"

namespace sleevemaster {

namespace {

// A resize redraws once the window has stood still this long; meanwhile the last drawing is
// stretched.
constexpr int kResizeRedrawMs = 40;

QToolButton* ZoomButton(const QString& text, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(tip);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageCanvas::SetPages(const std::array<QImage, 2>& pages) {
  pages_ = pages;
  update();
}

void PageCanvas::SetLayout(QSize pageSize, PageArrangement arrangement) {
  page_size_ = pageSize;
  arrangement_ = arrangement;
  update();
}

void PageCanvas::SetRefusal(const QString& refusal) {
  refusal_ = refusal;
  update();
}

void PageCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const std::array<QRect, 2> places = PageRects(page_size_, size(), arrangement_);
  for (std::size_t page = 0; page < places.size(); ++page) {
    if (pages_[page].isNull())
      painter.fillRect(places[page], Qt::white);
    else
      painter.drawImage(places[page], pages_[page]);
  }
  if (refusal_.isEmpty())
    return;

  // The refused texts: the last good drawing greyed beneath the writer's message.
  painter.fillRect(rect(), QColor(128, 128, 128, 170));
  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  const int boxWidth = std::max(120, std::min(width() - 40, 460));
  QRect box(0, 0, boxWidth, 0);
  const QRect textRect = painter.boundingRect(box.adjusted(16, 12, -16, -12),
                                              Qt::AlignCenter | Qt::TextWordWrap, refusal_);
  box.setHeight(textRect.height() + 24);
  box.moveCenter(rect().center());
  painter.setPen(QPen(QColor(160, 0, 0), 2));
  painter.setBrush(QColor(255, 250, 235));
  painter.drawRoundedRect(box, 6, 6);
  painter.setPen(Qt::black);
  painter.drawText(box.adjusted(16, 12, -16, -12), Qt::AlignCenter | Qt::TextWordWrap, refusal_);
}

PreviewWindow::PreviewWindow(PreviewViewHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window),
      hooks_(std::move(hooks)),
      renderer_(std::make_unique<PageRenderer>()) {
  setWindowTitle(QStringLiteral("Live Preview - Sleevemaster"));
  setObjectName(QStringLiteral("LivePreview"));
  setMinimumSize(240, 200);
  // Shown from the main window, the preview leaves the keyboard where the user is typing.
  setAttribute(Qt::WA_ShowWithoutActivating);

  details_ = new QLabel(this);
  details_->setObjectName(QStringLiteral("PreviewDetails"));
  details_->setTextFormat(Qt::PlainText);
  // A narrow window wraps the line rather than growing for it.
  details_->setWordWrap(true);
  details_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  fit_button_ =
      ZoomButton(QStringLiteral("Fit"), QStringLiteral("Fit both pages to the window"), this);
  fit_button_->setCheckable(true);
  QToolButton* realSize =
      ZoomButton(QStringLiteral("100 %"), QStringLiteral("Real size on this screen"), this);
  QToolButton* zoomOut =
      ZoomButton(QStringLiteral("\u2212"), QStringLiteral("Zoom out (Ctrl+-)"), this);
  QToolButton* zoomIn = ZoomButton(QStringLiteral("+"), QStringLiteral("Zoom in (Ctrl++)"), this);
  zoom_label_ = new QLabel(this);
  zoom_label_->setObjectName(QStringLiteral("PreviewZoom"));
  zoom_label_->setMinimumWidth(
      zoom_label_->fontMetrics().horizontalAdvance(QStringLiteral("9999 %")));
  zoom_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(8, 4, 8, 4);
  bar->addWidget(details_, 1);
  for (QWidget* item : {static_cast<QWidget*>(fit_button_), static_cast<QWidget*>(realSize),
                        static_cast<QWidget*>(zoomOut), static_cast<QWidget*>(zoomIn),
                        static_cast<QWidget*>(zoom_label_)})
    bar->addWidget(item);

  canvas_ = new PageCanvas;
  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(canvas_);
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->viewport()->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(bar);
  layout->addWidget(scroll_, 1);

  connect(fit_button_, &QToolButton::clicked, this, [this] { ZoomToFit(); });
  connect(realSize, &QToolButton::clicked, this, [this] { ZoomToRealSize(); });
  connect(zoomOut, &QToolButton::clicked, this, [this] { ZoomBy(-1); });
  connect(zoomIn, &QToolButton::clicked, this, [this] { ZoomBy(1); });

  // The keys work wherever the focus is in this window.
  const auto shortcut = [this](const QKeySequence& keys, auto action) {
    auto* item = new QShortcut(keys, this);
    item->setContext(Qt::WindowShortcut);
    connect(item, &QShortcut::activated, this, action);
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [this] {
    if (hooks_.ToggleRequested)
      hooks_.ToggleRequested();
  });
  shortcut(QKeySequence(Qt::Key_Escape), [this] {
    if (hooks_.ReturnFocus)
      hooks_.ReturnFocus();
  });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { ZoomBy(1); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ZoomBy(1); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { ZoomBy(-1); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ZoomToFit(); });

  redraw_timer_.setSingleShot(true);
  redraw_timer_.setInterval(kResizeRedrawMs);
  connect(&redraw_timer_, &QTimer::timeout, this, [this] { RequestDrawing(); });
  connect(renderer_.get(), &PageRenderer::Rendered, this,
          [this](const RenderedPages& pages) { TakeDrawing(pages); });
  ShowZoom();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::ShowSnapshot(const PreviewSnapshot& snapshot) {
  snapshot_ = snapshot;
  if (!snapshot_.Pdf.isEmpty())
    last_good_pdf_ = snapshot_.Pdf;
  details_->setText(snapshot_.Details);
  canvas_->SetRefusal(snapshot_.Refusal);
  UpdateLayout();
  RequestDrawing();
}

QImage PreviewWindow::PageImage(int page) const {
  return page == 0 || page == 1 ? canvas_->Page(page) : QImage();
}

QString PreviewWindow::ShownRefusal() const {
  return canvas_->Refusal();
}

QString PreviewWindow::ShownDetails() const {
  return details_->text();
}

void PreviewWindow::ZoomToFit() {
  fit_ = true;
  UpdateLayout();
  redraw_timer_.start();
}

void PreviewWindow::ZoomToRealSize() {
  const QScreen* screen = this->screen();
  fit_ = false;
  scale_ = screen != nullptr ? RealSizeScale(screen->physicalDotsPerInch()) : 1.0;
  UpdateLayout();
  redraw_timer_.start();
}

void PreviewWindow::ZoomBy(int steps) {
  fit_ = false;
  scale_ = ZoomedScale(scale_, steps);
  UpdateLayout();
  redraw_timer_.start();
}

void PreviewWindow::ShowZoom() {
  const QScreen* screen = this->screen();
  const double real = screen != nullptr ? RealSizeScale(screen->physicalDotsPerInch()) : 1.0;
  zoom_label_->setText(QString::number(std::lround(scale_ / real * 100)) + QStringLiteral(" %"));
  fit_button_->setChecked(fit_);
}

void PreviewWindow::UpdateLayout() {
  // The whole area counts while fitting, as no scroll bar shows then.
  const QSize viewport = fit_ ? scroll_->maximumViewportSize() : scroll_->viewport()->size();
  arrangement_ = ArrangementFor(snapshot_.PagePoints, viewport);
  if (fit_)
    scale_ = FitScale(snapshot_.PagePoints, viewport, arrangement_);
  const QSize pageSize = PageSizeAt(snapshot_.PagePoints, scale_);
  canvas_->setMinimumSize(fit_ ? QSize(0, 0) : ContentSize(pageSize, arrangement_));
  canvas_->SetLayout(pageSize, arrangement_);
  ShowZoom();
}

void PreviewWindow::RequestDrawing() {
  redraw_timer_.stop();
  // A refusal keeps the last good drawing beneath it, redrawn when the size changes.
  const QByteArray& pdf = last_good_pdf_;
  if (pdf.isEmpty())
    return;
  const qreal ratio = devicePixelRatioF();
  if (pdf == drawn_pdf_ && scale_ * ratio == drawn_scale_)
    return;
  drawn_pdf_ = pdf;
  drawn_scale_ = scale_ * ratio;
  awaited_ = renderer_->Request(pdf, scale_, ratio);
}

void PreviewWindow::TakeDrawing(const RenderedPages& pages) {
  // An answer to an older request is already out of date.
  if (pages.Generation != awaited_)
    return;
  awaited_ = 0;
  if (pages.Failed) {
    canvas_->SetRefusal(QStringLiteral("The preview cannot draw this insert."));
    return;
  }
  canvas_->SetPages(pages.Pages);
  // The pages' size as the document itself gives it has the last word on the layout.
  if (pages.PagePoints != snapshot_.PagePoints) {
    snapshot_.PagePoints = pages.PagePoints;
    UpdateLayout();
    RequestDrawing();
  }
  ++finished_drawings_;
  emit Drawn();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (hooks_.Closed)
    hooks_.Closed();
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateLayout();
  if (fit_)
    redraw_timer_.start();
}

void PreviewWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateLayout();
  RequestDrawing();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() & Qt::ControlModifier) {
      const int delta = wheel->angleDelta().y();
      if (delta != 0)
        ZoomBy(delta > 0 ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sleevemaster
