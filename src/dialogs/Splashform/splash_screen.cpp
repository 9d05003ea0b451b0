#include "dialogs/Splashform/splash_screen.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>

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

  connect(&timer_, &QTimer::timeout, this, &TSplash::TimerTimer);
  timer_.start(100);
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

void TSplash::ShowModalOver(const QWidget* over) {
  QRect area;
  if (over != nullptr)
    area = over->frameGeometry();
  if (area.isEmpty()) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
      area = screen->availableGeometry();
  }
  if (!area.isEmpty())
    move(area.center() - rect().center());
  exec();
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
