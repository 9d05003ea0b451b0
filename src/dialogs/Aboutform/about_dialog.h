// The About box: the product's name, version and PDF library, a credit line, the home page
// and the mail address as links, beside three pictures that take turns when clicked.
//
// Links go to the desktop through Desktop; the underline under a link follows the pointer
// (see eventFilter). The picture last shown stays for the next opening.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QKeyEvent;
class QLabel;
class QMouseEvent;

namespace Ui {
class TAboutForm;
}

namespace sleevemaster {

class Desktop;

class TAbout final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TAbout)

 public:
  explicit TAbout(Desktop& desktop, QWidget* parent = nullptr);
  ~TAbout() override;

  /// Sets the caption "About PRODUCT", Title, "Version VERSION" and the PDF library line
  /// "PRODUCT LIBRARY LIBRARYVERSION", as the About command does before showing the box.
  void SetProductTexts(const QString& product, const QString& version, const QString& library,
                       const QString& libraryVersion);

  /// Which of the pictures is shown, 1 to 3.
  int VisibleImage() const;

 public slots:
  void OkBtnClick();
  void URLClick();
  void emailClick();
  void Image1Click();
  void Image2Click();
  void Image3Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Underline { None, Url, Email };

  void SetUnderline(Underline which);
  /// Shows `next` and hides the other two, when `clicked` is the one shown.
  void CycleImage(QLabel* clicked, QLabel* next);

  Desktop& desktop_;
  std::unique_ptr<Ui::TAboutForm> ui_;
};

}  // namespace sleevemaster
