// The main window's fields and their rules, and the New, Exit and Edit commands.
#include "mainwindow/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <utility>

#include "app/help_index.h"
#include "dialogs/Texteditform/text_edit_dialog.h"
#include "mainwindow/main_window_support.h"
#include "mainwindow/tooltip_switch.h"
#include "mainwindow/windows1252_validator.h"
#include "pdf/file_utils.h"
#include "pdf/version.h"
#include "ui_Mainform.h"

namespace sleevemaster {

namespace {

// An edit that only counts in one choice of its radio group is painted like the window
// background while that choice is made and like a button face otherwise, whatever the style
// does with disabled edits.
void PaintChoiceEdit(QLineEdit* edit, bool enabled) {
  edit->setEnabled(enabled);
  const QPalette system = QApplication::palette(edit);
  const QColor colour = system.color(QPalette::Active, enabled ? QPalette::Base : QPalette::Button);
  QPalette palette = edit->palette();
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, colour);
  edit->setPalette(palette);
}

// Room for `limit` average characters, so no field is narrower than what it may hold.
int FieldWidth(const QLineEdit* field, int limit) {
  const QFontMetrics metrics(field->font());
  return metrics.averageCharWidth() * limit + 2 * metrics.averageCharWidth();
}

}  // namespace

std::string DefaultTemporaryFolder() {
  QString folder = QDir::tempPath();
  if (folder.isEmpty())
    return {};
  if (!folder.endsWith(QLatin1Char('/')))
    folder += QLatin1Char('/');
  return QFile::encodeName(folder).toStdString();
}

TMain::TMain(MainWindowDependencies dependencies, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TMainForm>()),
      desktop_(dependencies.DesktopShell),
      store_(dependencies.Store),
      settings_(dependencies.Settings),
      text_editor_(dependencies.TextEditor),
      temporary_folder_(std::move(dependencies.TemporaryFolder)),
      clock_(dependencies.Clock ? std::move(dependencies.Clock) : CurrentLocalTime),
      tool_tips_(std::make_unique<ToolTipSwitch>()) {
  ui_->setupUi(this);
  // A fixed window: no resizing, no maximize box; its size follows its contents.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  SetUpFields();
  ConnectCommands();
  FormCreate();
}

TMain::~TMain() = default;

void TMain::SetUpFields() {
  InstallDocumentTextRules(ui_->MainTitle, static_cast<int>(kMaxMainTitle));
  InstallDocumentTextRules(ui_->SubTitle, static_cast<int>(kMaxSubTitle));
  InstallDocumentTextRules(ui_->CustomBottomRightCornerText, static_cast<int>(kMaxCornerText));
  InstallDocumentTextRules(ui_->InsideJacketText, static_cast<int>(kMaxCornerText));
  InstallDocumentTextRules(ui_->SideSpineText, static_cast<int>(kMaxCornerText));
  for (QLineEdit* field : {ui_->MainTitle, ui_->SubTitle})
    field->setMinimumWidth(FieldWidth(field, static_cast<int>(kMaxSubTitle)));
  for (QLineEdit* field :
       {ui_->CustomBottomRightCornerText, ui_->InsideJacketText, ui_->SideSpineText})
    field->setMinimumWidth(FieldWidth(field, static_cast<int>(kMaxCornerText)));

  // The radio groups, with their items' positions as ids (the order of the enumerations).
  corner_group_ = new QButtonGroup(this);
  corner_group_->addButton(ui_->BottomRightCornerNone, static_cast<int>(CornerMode::None));
  corner_group_->addButton(ui_->BottomRightCornerDate, static_cast<int>(CornerMode::Date));
  corner_group_->addButton(ui_->BottomRightCornerDateAndTime,
                           static_cast<int>(CornerMode::DateAndTime));
  corner_group_->addButton(ui_->BottomRightCornerCustom, static_cast<int>(CornerMode::Custom));
  spine_group_ = new QButtonGroup(this);
  spine_group_->addButton(ui_->SideSpineFrontCoverTitle,
                          static_cast<int>(SpineMode::FrontCoverTitle));
  spine_group_->addButton(ui_->SideSpineCustom, static_cast<int>(SpineMode::Custom));
  pdf_level_group_ = new QButtonGroup(this);
  pdf_level_group_->addButton(ui_->PdfLevel11, static_cast<int>(PdfVersion::Pdf11));
  pdf_level_group_->addButton(ui_->PdfLevel12, static_cast<int>(PdfVersion::Pdf12));
  pdf_level_group_->addButton(ui_->PdfLevel13, static_cast<int>(PdfVersion::Pdf13));

  // The rules run on every change of the selection, the program's own included.
  connect(corner_group_, &QButtonGroup::idToggled, this, [this] { ApplyCornerRule(); });
  connect(spine_group_, &QButtonGroup::idToggled, this, [this] { ApplySpineRule(); });
  ApplyCornerRule();
  ApplySpineRule();

  // The ten controls of the document mark it modified when the focus leaves them. The
  // settings page and the Edit button do not: they are not part of the document.
  for (QWidget* control : std::initializer_list<QWidget*>{
           ui_->MainTitle, ui_->SubTitle, ui_->CustomBottomRightCornerText, ui_->InsideJacketText,
           ui_->SideSpineText, ui_->CenterSideSpineText, ui_->InversedSideSpineColors,
           ui_->CenterBackCoverText})
    MarkModifiedOnLeaving(control);
  for (QAbstractButton* item : corner_group_->buttons())
    MarkModifiedOnLeaving(item);
  for (QAbstractButton* item : spine_group_->buttons())
    MarkModifiedOnLeaving(item);
  connect(qApp, &QApplication::focusChanged, this, &TMain::FocusChanged);

  // Editing a field marks the document at once too: closing the window straight from a
  // field, without leaving it, must not lose what was typed there.
  for (QLineEdit* field : {ui_->MainTitle, ui_->SubTitle, ui_->CustomBottomRightCornerText,
                           ui_->InsideJacketText, ui_->SideSpineText})
    connect(field, &QLineEdit::textEdited, this, [this] { document_modified_ = true; });
  for (QWidget* control : document_controls_) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
      connect(button, &QAbstractButton::clicked, this, [this] { document_modified_ = true; });
  }

  // Hints of the menus: the File menu's own, and its items' while the menu is open.
  ui_->File->menuAction()->setToolTip(ui_->File->toolTip());
  ui_->File->menuAction()->setStatusTip(ui_->File->toolTip());
}

void TMain::ConnectCommands() {
  connect(ui_->MenuNew, &QAction::triggered, this, [this] { MenuNewClick(); });
  connect(ui_->MenuOpen, &QAction::triggered, this, [this] { OpenDocument(); });
  connect(ui_->MenuSave, &QAction::triggered, this, [this] { SaveBtnClick(); });
  connect(ui_->SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
  connect(ui_->MenuExit, &QAction::triggered, this, [this] { ExitBtnClick(); });
  connect(ui_->ExitBtn, &QPushButton::clicked, this, [this] { ExitBtnClick(); });
  connect(ui_->BackTextFileEditBtn, &QPushButton::clicked, this,
          [this] { BackTextFileEditBtnClick(); });
  connect(ui_->MenuIndex, &QAction::triggered, this, [this] { MenuIndexClick(); });
  connect(ui_->MenuView, &QAction::triggered, this, [this] { ViewBtnClick(); });
  connect(ui_->ViewBtn, &QPushButton::clicked, this, [this] { ViewBtnClick(); });
  connect(ui_->MenuPrint, &QAction::triggered, this, [this] { PrintBtnClick(); });
  connect(ui_->PrintBtn, &QPushButton::clicked, this, [this] { PrintBtnClick(); });
  // The calibration, options and About dialogs are not part of this window yet.
  for (QAction* later : {ui_->MenuCalibrate, ui_->MenuOptions, ui_->MenuShowAbout})
    later->setEnabled(false);
}

void TMain::MarkModifiedOnLeaving(QWidget* control) {
  document_controls_.append(control);
}

void TMain::FocusChanged(QWidget* previous, QWidget* current) {
  // Only a move to another control of this window leaves a field: focus that goes to the
  // menu bar, a dialog or another program and comes back changes nothing.
  if (current != nullptr && current->window() == this && previous != current &&
      qobject_cast<QMenuBar*>(current) == nullptr && document_controls_.contains(previous))
    document_modified_ = true;
}

int TMain::BottomRightCornerIndex() const {
  return corner_group_->checkedId();
}

void TMain::SetBottomRightCornerIndex(int index) {
  if (QAbstractButton* item = corner_group_->button(index))
    item->setChecked(true);
}

int TMain::SideSpineIndex() const {
  return spine_group_->checkedId();
}

void TMain::SetSideSpineIndex(int index) {
  if (QAbstractButton* item = spine_group_->button(index))
    item->setChecked(true);
}

int TMain::PdfLevelIndex() const {
  return pdf_level_group_->checkedId();
}

void TMain::SetPdfLevelIndex(int index) {
  if (QAbstractButton* item = pdf_level_group_->button(index))
    item->setChecked(true);
}

void TMain::ApplyCornerRule() {
  PaintChoiceEdit(ui_->CustomBottomRightCornerText,
                  BottomRightCornerIndex() == static_cast<int>(CornerMode::Custom));
}

void TMain::ApplySpineRule() {
  PaintChoiceEdit(ui_->SideSpineText, SideSpineIndex() == static_cast<int>(SpineMode::Custom));
}

const std::string& TMain::DocumentsFolder() const {
  return settings_.DocumentsFolder;
}

std::string TMain::WorkingBackCoverText() const {
  if (temporary_folder_.empty())
    return {};
  return temporary_folder_ + kWorkingBackCoverTextName;
}

void TMain::SetCaption(const QString& caption) {
  setWindowTitle(caption);
}

void TMain::MenuNewClick() {
  SetDocumentText(ui_->MainTitle, {});
  SetDocumentText(ui_->SubTitle, {});
  SetBottomRightCornerIndex(static_cast<int>(CornerMode::None));
  SetDocumentText(ui_->CustomBottomRightCornerText, {});
  ApplyCornerRule();
  SetDocumentText(ui_->InsideJacketText, {});
  SetSideSpineIndex(static_cast<int>(SpineMode::FrontCoverTitle));
  SetDocumentText(ui_->SideSpineText, {});
  ApplySpineRule();
  ui_->CenterSideSpineText->setChecked(false);
  ui_->InversedSideSpineColors->setChecked(false);
  ui_->CenterBackCoverText->setChecked(false);

  // A fresh, empty working file for the back cover text.
  const std::string working = WorkingBackCoverText();
  if (!working.empty()) {
    if (PathExists(working)) {
      std::error_code ignored;
      std::filesystem::remove(working, ignored);
    }
    CanCreateFile(working);
  }

  save_dialog_file_name_.clear();
  SetCaption(QString::fromLatin1(kProductName));
  document_modified_ = false;
}

void TMain::ExitBtnClick() {
  close();
}

void TMain::BackTextFileEditBtnClick() {
  const std::string working = WorkingBackCoverText();
  if (IsRegularFile(working))
    text_editor_.LoadTextFile(LocalPathText(working));
  text_editor_.SetBrowseFolder(LocalPathText(settings_.DocumentsFolder));
  text_editor_.move(settings_.TextEdit.Left, settings_.TextEdit.Top);
  text_editor_.exec();
  // The editor wrote the file itself on OK; the document's own flag stays as it was.
  settings_.TextEdit = {text_editor_.x(), text_editor_.y()};
}

void TMain::MenuIndexClick() {
  ShowHelpIndex(desktop_);
}

}  // namespace sleevemaster
