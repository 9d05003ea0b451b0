#include "dialogs/Aboutform/about_dialog.h"

#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include "desktop/desktop.h"
#include "dialogs/Aboutform/about_links.h"
#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"
#include "ui_Aboutform.h"

namespace sleevemaster {

namespace {

QFont ArialPixels(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  return font;
}

}  // namespace

TAbout::TAbout(Desktop& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop), ui_(std::make_unique<Ui::TAboutForm>()) {
  ui_->setupUi(this);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  ui_->OkBtn->setIcon(ArtworkIcon(QStringLiteral("ok")));

  ui_->Image1->setPixmap(ArtworkPixmap(QStringLiteral("about_cd"), *this));
  ui_->Image2->setPixmap(ArtworkPixmap(QStringLiteral("about_jewel_case"), *this));
  ui_->Image3->setPixmap(ArtworkPixmap(QStringLiteral("about_insert"), *this));
  ui_->Image2->hide();
  ui_->Image3->hide();

  ui_->Title->setFont(ArialPixels(19));
  for (QLabel* label : {ui_->VersionInfo, ui_->PDFlib, ui_->Label3, ui_->URL, ui_->email})
    label->setFont(ArialPixels(13));
  QFont plain = font();
  plain.setPixelSize(13);
  ui_->Label4->setFont(plain);
  for (QLabel* link : {ui_->URL, ui_->email}) {
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(palette);
  }
  ui_->Label3->setText(QString::fromLatin1(kCreditLine));
  ui_->URL->setText(QString::fromLatin1(kHomePageAddress));
  ui_->email->setText(QString::fromLatin1(kMailAddress));

  // Every child reports pointer moves, so a move over a plain label stops there instead of
  // reaching the form, which would clear the underline.
  setMouseTracking(true);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }
  connect(ui_->OkBtn, &QPushButton::clicked, this, &TAbout::OkBtnClick);
}

TAbout::~TAbout() = default;

void TAbout::SetProductTexts(const QString& product, const QString& version, const QString& library,
                             const QString& libraryVersion) {
  setWindowTitle(QStringLiteral("About ") + product);
  ui_->Title->setText(product);
  ui_->VersionInfo->setText(QStringLiteral("Version ") + version);
  ui_->PDFlib->setText(product + u' ' + library + u' ' + libraryVersion);
}

int TAbout::VisibleImage() const {
  if (!ui_->Image2->isHidden())
    return 2;
  if (!ui_->Image3->isHidden())
    return 3;
  return 1;
}

void TAbout::OkBtnClick() {
  accept();
}

void TAbout::URLClick() {
  // A link the desktop cannot open fails silently.
  desktop_.OpenFile(QString::fromLatin1(kHomePageIndex), QString());
}

void TAbout::emailClick() {
  desktop_.OpenFile(QStringLiteral("mailto:") + QString::fromLatin1(kMailAddress), QString());
}

void TAbout::Image1Click() {
  CycleImage(ui_->Image1, ui_->Image2);
}

void TAbout::Image2Click() {
  CycleImage(ui_->Image2, ui_->Image3);
}

void TAbout::Image3Click() {
  CycleImage(ui_->Image3, ui_->Image1);
}

void TAbout::CycleImage(QLabel* clicked, QLabel* next) {
  if (clicked->isHidden())
    return;
  for (QLabel* image : {ui_->Image1, ui_->Image2, ui_->Image3})
    image->setVisible(image == next);
}

void TAbout::SetUnderline(Underline which) {
  for (QLabel* link : {ui_->URL, ui_->email}) {
    QFont font = link->font();
    font.setUnderline((link == ui_->URL && which == Underline::Url) ||
                      (link == ui_->email && which == Underline::Email));
    link->setFont(font);
  }
}

bool TAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    if (watched == ui_->URL)
      SetUnderline(Underline::Url);
    else if (watched == ui_->email)
      SetUnderline(Underline::Email);
    else if (watched == ui_->Image1 || watched == ui_->Image2 || watched == ui_->Image3 ||
             watched == ui_->OkBtn)
      SetUnderline(Underline::None);
    // Moves over the other labels change nothing and go no further.
    return watched != ui_->OkBtn;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (mouse->button() != Qt::LeftButton || widget == nullptr ||
        !widget->rect().contains(mouse->position().toPoint()))
      return false;
    if (watched == ui_->URL)
      URLClick();
    else if (watched == ui_->email)
      emailClick();
    else if (watched == ui_->Image1)
      Image1Click();
    else if (watched == ui_->Image2)
      Image2Click();
    else if (watched == ui_->Image3)
      Image3Click();
  }
  return QDialog::eventFilter(watched, event);
}

void TAbout::mouseMoveEvent(QMouseEvent* event) {
  SetUnderline(Underline::None);
  QDialog::mouseMoveEvent(event);
}

void TAbout::keyPressEvent(QKeyEvent* event) {
  if (HandleDialogKey(*this, *event, *ui_->OkBtn))
    return;
  QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
