#include "dialogs/Splashform/splash_screen.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>

#include "dialogs/Aboutform/about_links.h"
#include "dialogs/artwork.h"
#include "ui_Splashform.h"

namespace sleevemaster {

TSplash::TSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::TSplashForm>()) {
  ui_->setupUi(this);
  ui_->SplashImage->setPixmap(ArtworkPixmap(QStringLiteral("splash"), *this));

  QFont title(QStringLiteral("Arial"));
  title.setPixelSize(24);
  title.setBold(true);
  ui_->Title->setFont(title);
  for (QLabel* label : {ui_->Title, ui_->Version, ui_->Label1}) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
  }
  ui_->Label1->setText(QString::fromLatin1(kCreditLine));
  for (QLabel* label : {ui_->SplashImage, ui_->Title, ui_->Version, ui_->Label1})
    label->installEventFilter(this);

  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &TSplash::TimerTimer);
}

TSplash::~TSplash() = default;

void TSplash::SetTitleColour(const QColor& colour) {
  QPalette palette = ui_->Title->palette();
  palette.setColor(QPalette::WindowText, colour);
  ui_->Title->setPalette(palette);
}

void TSplash::SetTitleText(const QString& text) {
  ui_->Title->setText(text);
}

void TSplash::SetVersionText(const QString& version) {
  ui_->Version->setText(QStringLiteral("Version ") + version);
}

void TSplash::ShowModalOver(QWidget* over) {
  QRect area;
  if (over != nullptr) {
    // A window that has not been shown yet still has the toolkit's default size; its layout
    // gives it the size it will show with.
    if (!over->isVisible()) {
      over->ensurePolished();
      if (QLayout* layout = over->layout())
        layout->activate();
    }
    area = over->frameGeometry();
  }
  if (area.isEmpty()) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
      area = screen->availableGeometry();
  }
  if (!area.isEmpty())
    move(area.center() - rect().center());
  exec();
}

void TSplash::showEvent(QShowEvent* event) {
  // Every showing has its full time.
  if (!event->spontaneous()) {
    ticks_ = 0;
    timer_.start();
  }
  QDialog::showEvent(event);
}

void TSplash::hideEvent(QHideEvent* event) {
  if (!event->spontaneous())
    timer_.stop();
  QDialog::hideEvent(event);
}

void TSplash::TimerTimer() {
  if (ticks_ < kSplashCloseTick)
    ++ticks_;  // counting stops where it matters, so it can never overflow
  if (ticks_ >= kSplashCloseTick)
    accept();
}

void TSplash::SplashImageClick() {
  accept();
}

void TSplash::TitleClick() {
  accept();
}

void TSplash::VersionClick() {
  accept();
}

void TSplash::Label1Click() {
  accept();
}

bool TSplash::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == ui_->SplashImage)
      SplashImageClick();
    else if (watched == ui_->Title)
      TitleClick();
    else if (watched == ui_->Version)
      VersionClick();
    else if (watched == ui_->Label1)
      Label1Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TSplash::keyPressEvent(QKeyEvent* event) {
  // Escape is no cancel here either; the splash goes by time or by a click.
  if (event->matches(QKeySequence::Cancel)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
