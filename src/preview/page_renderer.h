// Draws both pages of a PDF into images on a thread of its own, so typing never waits for a
// drawing. Only the newest request counts: one that is overtaken before its turn is dropped.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QThread>
#include <array>
#include <mutex>
#include <optional>

namespace sleevemaster {

/// One finished drawing.
struct RenderedPages {
  std::array<QImage, 2> Pages;
  /// The first page's size in points as a viewer shows it: the page tree's /Rotate applied,
  /// so a page turned by 90 degrees is as wide as the paper is long.
  QSizeF PagePoints;
  /// The request it answers (PageRenderer::Request's result).
  quint64 Generation = 0;
  /// The bytes could not be read as a PDF of two pages.
  bool Failed = false;
};

class PageRenderer final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PageRenderer)

 public:
  explicit PageRenderer(QObject* parent = nullptr);
  ~PageRenderer() override;

  /// Asks for both pages of `pdf` at `scale` logical pixels per point, each page at its own
  /// size as the document gives it, in device pixels; gives the request's number. Rendered
  /// follows on this object's thread, unless a newer request overtakes this one.
  quint64 Request(const QByteArray& pdf, double scale, qreal devicePixelRatio);

 signals:
  void Rendered(const sleevemaster::RenderedPages& pages);

 private:
  struct Job {
    QByteArray Pdf;
    double Scale = 1;
    qreal DevicePixelRatio = 1;
    quint64 Generation = 0;
  };
  class Worker;

  void RunPending(Worker* worker);

  QThread thread_;
  Worker* worker_ = nullptr;
  std::mutex mutex_;
  std::optional<Job> pending_;
  bool wake_posted_ = false;
  quint64 generation_ = 0;
};

}  // namespace sleevemaster
