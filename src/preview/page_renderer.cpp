#include "preview/page_renderer.h"

#include <QBuffer>
#include <QMetaObject>
#include <QPainter>
#include <QPdfDocument>
#include <memory>
#include <utility>

#include "preview/preview_layout.h"

namespace sleevemaster {

// Lives on the drawing thread with the PDF renderer's objects, which are made there too.
class PageRenderer::Worker final : public QObject {
 public:
  RenderedPages Render(const QByteArray& pdf, double scale, qreal devicePixelRatio) {
    RenderedPages result;
    if (!document_)
      document_ = std::make_unique<QPdfDocument>(nullptr);
    // The document reads its device as it draws: the bytes and the buffer stay until the next.
    document_->close();
    buffer_.close();
    bytes_ = pdf;
    buffer_.setData(bytes_);
    buffer_.open(QIODevice::ReadOnly);
    document_->load(&buffer_);
    if (document_->status() != QPdfDocument::Status::Ready || document_->pageCount() < 2) {
      result.Failed = true;
      return result;
    }
    result.PagePoints = document_->pagePointSize(0);
    for (int page = 0; page < 2; ++page) {
      // The size as the document gives it, already turned by the page tree's /Rotate, which
      // the drawing applies too: the picture keeps the page's aspect whatever was expected.
      // Rounded as the window rounds the page's place, so its pixels are copied one to one.
      const QSize pageSize = PageSizeAt(document_->pagePointSize(page), scale) * devicePixelRatio;
      // The paper's white goes in here, so the window's thread only copies opaque pixels.
      QImage sheet(pageSize, QImage::Format_RGB32);
      sheet.fill(Qt::white);
      QPainter(&sheet).drawImage(0, 0, document_->render(page, pageSize));
      sheet.setDevicePixelRatio(devicePixelRatio);
      result.Pages[static_cast<std::size_t>(page)] = std::move(sheet);
    }
    return result;
  }

 private:
  std::unique_ptr<QPdfDocument> document_;
  QByteArray bytes_;
  QBuffer buffer_;
};

PageRenderer::PageRenderer(QObject* parent) : QObject(parent), worker_(new Worker) {
  thread_.setObjectName(QStringLiteral("Preview drawing"));
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start(QThread::LowPriority);
}

PageRenderer::~PageRenderer() {
  thread_.quit();
  thread_.wait();
}

quint64 PageRenderer::Request(const QByteArray& pdf, double scale, qreal devicePixelRatio) {
  const std::lock_guard lock(mutex_);
  pending_ = Job{pdf, scale, devicePixelRatio, ++generation_};
  if (!wake_posted_) {
    wake_posted_ = true;
    Worker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_, [this, worker] { RunPending(worker); }, Qt::QueuedConnection);
  }
  return generation_;
}

// On the drawing thread: the newest request, and again while newer ones came meanwhile.
void PageRenderer::RunPending(Worker* worker) {
  for (;;) {
    Job job;
    {
      const std::lock_guard lock(mutex_);
      if (!pending_) {
        wake_posted_ = false;
        return;
      }
      job = std::move(*pending_);
      pending_.reset();
    }
    RenderedPages pages = worker->Render(job.Pdf, job.Scale, job.DevicePixelRatio);
    pages.Generation = job.Generation;
    QMetaObject::invokeMethod(
        this, [this, pages = std::move(pages)] { emit Rendered(pages); }, Qt::QueuedConnection);
  }
}

}  // namespace sleevemaster
