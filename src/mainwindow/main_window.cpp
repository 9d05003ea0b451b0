// The main window's fields and their rules, and the commands of its menu and buttons.
#include "mainwindow/main_window.h"

#include "dialogs/Aboutform/about_dialog.h"
#include "dialogs/Calibrateform/calibrate_dialog.h"
#include "dialogs/Optionsform/options_dialog.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "desktop/help_index.h"
#include "dialogs/Texteditform/text_edit_dialog.h"
#include "mainwindow/document_text_rules.h"
#include "mainwindow/tooltip_switch.h"
#include "pdf/header_keys.h"
#include "pdf/page_geometry.h"
#include "pdf/version.h"
#include "preview/live_preview.h"
#include "session/local_paths.h"
#include "settings/settings_store.h"
#include "ui_Mainform.h"
#include "widgets/picture_thumbnail.h"
#include "widgets/window_place.h"

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

// The most characters a field takes: as many as the writer does.
int Limit(CoverField field) {
  return static_cast<int>(LimitOf(field));
}

// Room for a full text of `limit` capitals, the widest letters a title commonly has (wider
// than digits or lower case), with the margins and the frame the style puts around the text.
int FieldWidth(const QLineEdit* field, int limit) {
  static const QString kCapitals = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  QString text;
  for (int index = 0; index < limit; ++index)
    text += kCapitals.at(index % kCapitals.size());
  // A line edit keeps two pixels beside the text on either side, and one for the cursor.
  constexpr int kTextMargin = 2;
  constexpr int kCursor = 1;
  const QMargins margins = field->textMargins();
  const QSize contents(QFontMetrics(field->font()).horizontalAdvance(text) + 2 * kTextMargin +
                           kCursor + margins.left() + margins.right(),
                       field->sizeHint().height());
  QStyleOptionFrame option;
  option.initFrom(field);
  option.lineWidth = field->hasFrame()
                         ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field)
                         : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  return field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, field).width();
}

}  // namespace

TMain::TMain(MainWindowDependencies dependencies, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TMainForm>()),
      desktop_(dependencies.DesktopShell),
      store_(dependencies.Store),
      settings_(dependencies.Settings),
      text_editor_(dependencies.TextEditor),
      calibrator_(dependencies.Calibrator),
      options_(dependencies.OptionsDialog),
      about_(dependencies.AboutBox),
      splash_(dependencies.SplashScreen),
      session_({desktop_, store_, settings_, std::move(dependencies.TemporaryFolder),
                std::move(dependencies.TemporaryFolderProblem), std::move(dependencies.Clock)}),
      tool_tips_(std::make_unique<ToolTipSwitch>()) {
  ui_->setupUi(this);
  // A fixed window: no resizing, no maximize box; its size follows its contents.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  main_place_ = std::make_unique<WindowPlace>(*this, WindowPlace::Sizing::Fixed);
  text_editor_place_ = std::make_unique<WindowPlace>(text_editor_, WindowPlace::Sizing::Fixed);
  if (calibrator_ != nullptr)
    calibrator_place_ = std::make_unique<WindowPlace>(*calibrator_, WindowPlace::Sizing::Fixed);
  if (options_ != nullptr)
    options_place_ = std::make_unique<WindowPlace>(*options_, WindowPlace::Sizing::Fixed);
  if (about_ != nullptr)
    about_place_ = std::make_unique<WindowPlace>(*about_, WindowPlace::Sizing::Fixed);
  SetUpFields();
  ForwardEdits();
  ConnectCommands();
  SetUpLivePreview();
  FormCreate();
}

TMain::~TMain() {
  // The editor outlives the window: it must not keep writing through it.
  text_editor_.LoadText({}, {}, {});
}

void TMain::SetUpFields() {
  InstallDocumentTextRules(ui_->MainTitle, Limit(CoverField::MainTitle),
                           DocumentTextWhat(DocumentText::MainTitle));
  InstallDocumentTextRules(ui_->SubTitle, Limit(CoverField::SubTitle),
                           DocumentTextWhat(DocumentText::SubTitle));
  InstallDocumentTextRules(ui_->CustomBottomRightCornerText, Limit(CoverField::BottomRightCorner),
                           DocumentTextWhat(DocumentText::CustomBottomRightCornerText));
  InstallDocumentTextRules(ui_->InsideJacketText, Limit(CoverField::InsideJacketText),
                           DocumentTextWhat(DocumentText::InsideJacketText));
  InstallDocumentTextRules(ui_->SideSpineText, Limit(CoverField::SideSpineText),
                           DocumentTextWhat(DocumentText::SideSpineText));
  // The title field is as wide as the subtitle below it.
  for (QLineEdit* field : {ui_->MainTitle, ui_->SubTitle})
    field->setMinimumWidth(FieldWidth(field, Limit(CoverField::SubTitle)));
  for (QLineEdit* field :
       {ui_->CustomBottomRightCornerText, ui_->InsideJacketText, ui_->SideSpineText})
    field->setMinimumWidth(FieldWidth(field, Limit(CoverField::InsideJacketText)));

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

  // The hints name what the insert really goes to on this desktop.
  ui_->ViewBtn->setToolTip(ViewerHint(ShellRequest::View));
  ui_->PrintBtn->setToolTip(ViewerHint(ShellRequest::Print));

  // Hints of the menus: the File menu's own, and its items' while the menu is open.
  ui_->File->menuAction()->setToolTip(ui_->File->toolTip());
  ui_->File->menuAction()->setStatusTip(ui_->File->toolTip());
}

void TMain::ConnectCommands() {
  connect(ui_->MenuNew, &QAction::triggered, this, [this] { ResetDocument(); });
  connect(ui_->MenuOpen, &QAction::triggered, this, [this] { OpenDocument(); });
  connect(ui_->MenuSave, &QAction::triggered, this, [this] { SaveBtnClick(); });
  connect(ui_->SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
  connect(ui_->MenuExit, &QAction::triggered, this, [this] { ExitBtnClick(); });
  connect(ui_->ExitBtn, &QPushButton::clicked, this, [this] { ExitBtnClick(); });
  connect(ui_->BackTextFileEditBtn, &QPushButton::clicked, this,
          [this] { BackTextFileEditBtnClick(); });
  connect(ui_->PictureBtn, &QPushButton::clicked, this, [this] { PictureBtnClick(); });
  connect(ui_->RemovePictureBtn, &QPushButton::clicked, this, [this] { RemovePictureBtnClick(); });
  connect(ui_->MenuIndex, &QAction::triggered, this, [this] { MenuIndexClick(); });
  connect(ui_->MenuView, &QAction::triggered, this, [this] { ViewBtnClick(); });
  connect(ui_->ViewBtn, &QPushButton::clicked, this, [this] { ViewBtnClick(); });
  connect(ui_->MenuPrint, &QAction::triggered, this, [this] { PrintBtnClick(); });
  connect(ui_->PrintBtn, &QPushButton::clicked, this, [this] { PrintBtnClick(); });
  connect(ui_->MenuCalibrate, &QAction::triggered, this, [this] { MenuCalibrateClick(); });
  connect(ui_->MenuOptions, &QAction::triggered, this, [this] { MenuOptionsClick(); });
  connect(ui_->MenuShowAbout, &QAction::triggered, this, [this] { MenuShowAboutClick(); });
  ui_->MenuCalibrate->setEnabled(calibrator_ != nullptr);
  ui_->MenuOptions->setEnabled(options_ != nullptr);
  ui_->MenuShowAbout->setEnabled(about_ != nullptr);
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

void TMain::ForwardEdits() {
  const std::pair<QLineEdit*, DocumentText> texts[] = {
      {ui_->MainTitle, DocumentText::MainTitle},
      {ui_->SubTitle, DocumentText::SubTitle},
      {ui_->CustomBottomRightCornerText, DocumentText::CustomBottomRightCornerText},
      {ui_->InsideJacketText, DocumentText::InsideJacketText},
      {ui_->SideSpineText, DocumentText::SideSpineText}};
  for (const auto& [field, text] : texts)
    connect(field, &QLineEdit::textChanged, this,
            [this, text](const QString& value) { session_.SetText(text, value); });
  connect(corner_group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked)
      session_.SetCornerMode(static_cast<CornerMode>(id));
  });
  connect(spine_group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked)
      session_.SetSpineMode(static_cast<SpineMode>(id));
  });
  const std::pair<QCheckBox*, DocumentFlag> flags[] = {
      {ui_->CenterSideSpineText, DocumentFlag::CenterSideSpineText},
      {ui_->InversedSideSpineColors, DocumentFlag::InversedSideSpineColours},
      {ui_->CenterBackCoverText, DocumentFlag::CenterBackCoverText}};
  for (const auto& [box, flag] : flags)
    connect(box, &QCheckBox::toggled, this,
            [this, flag](bool checked) { session_.SetFlag(flag, checked); });
}

void TMain::ShowDocument() {
  // A copy: each field set here hands its value back to the session.
  const CoverDocument document = session_.Document();
  SetDocumentText(ui_->MainTitle, QString::fromStdString(document.MainTitle));
  SetDocumentText(ui_->SubTitle, QString::fromStdString(document.SubTitle));
  SetBottomRightCornerIndex(static_cast<int>(document.BottomRightCornerMode));
  SetDocumentText(ui_->CustomBottomRightCornerText,
                  QString::fromStdString(document.CustomBottomRightCornerText));
  ApplyCornerRule();
  SetDocumentText(ui_->InsideJacketText, QString::fromStdString(document.InsideJacketText));
  SetSideSpineIndex(static_cast<int>(document.SideSpineMode));
  SetDocumentText(ui_->SideSpineText, QString::fromStdString(document.SideSpineText));
  ApplySpineRule();
  ui_->CenterSideSpineText->setChecked(document.CenterSideSpineText);
  ui_->InversedSideSpineColors->setChecked(document.InversedSideSpineColours);
  ui_->CenterBackCoverText->setChecked(document.CenterBackCoverText);
  ShowFrontPicture();
}

void TMain::ShowFrontPicture() {
  const std::optional<CoverPicture>& picture = session_.Document().FrontPicture;
  const int side = ui_->FrontPictureView->minimumWidth();
  const QPixmap thumbnail = picture ? PictureThumbnail(picture->Bytes, side) : QPixmap();
  ui_->FrontPictureView->setPixmap(thumbnail);
  if (thumbnail.isNull())
    ui_->FrontPictureView->setText(picture ? QStringLiteral("Picture") : QStringLiteral("None"));
  ui_->RemovePictureBtn->setEnabled(picture.has_value());
}

void TMain::PictureBtnClick() {
  if (!session_.ChooseFrontPicture())
    return;
  ShowFrontPicture();
  live_preview_->Changed();
}

void TMain::RemovePictureBtnClick() {
  session_.SetFrontPicture(std::nullopt);
  ShowFrontPicture();
  live_preview_->Changed();
}

void TMain::ShowReplacedDocument() {
  ShowDocument();
  ShowCaption();
  live_preview_->Changed();
}

void TMain::ShowCaption() {
  setWindowTitle(session_.Caption());
}

void TMain::ShowError(const QString& text) {
  desktop_.ShowMessage(text, QString::fromLatin1(kProductName), MessageIcon::Error,
                       MessageButtons::Ok);
}

PdfOutputOptions TMain::PdfOptionsFromControls() const {
  PdfOutputOptions options;
  options.PdfLevel = PdfLevelFromIndex(PdfLevelIndex());
  options.ViewInLandscape = ui_->ViewInLandscape->isChecked();
  options.ViewFullscreen = ui_->ScreenMode->isChecked();
  options.HideUiElements = ui_->HideUIelements->isChecked();
  return options;
}

void TMain::ResetDocument() {
  session_.New();
  ShowReplacedDocument();
}

void TMain::OpenDocument() {
  if (session_.Open())
    ShowReplacedDocument();
}

void TMain::OpenDocumentFromCommandLine(const std::string& path) {
  if (session_.OpenFromCommandLine(path))
    ShowReplacedDocument();
}

void TMain::SaveBtnClick() {
  session_.SaveAs(PdfOptionsFromControls());
  ShowCaption();
}

bool TMain::CreateInsertPdf(const std::string& targetPath, bool save, bool printing) {
  const bool written = session_.WriteInsert(targetPath, save, PdfOptionsFromControls(), printing);
  ShowCaption();
  return written;
}

void TMain::ViewBtnClick() {
  session_.HandOver(ShellRequest::View, PdfOptionsFromControls());
}

void TMain::PrintBtnClick() {
  session_.HandOver(ShellRequest::Print, PdfOptionsFromControls());
}

void TMain::ExitBtnClick() {
  close();
}

void TMain::BackTextFileEditBtnClick() {
  const std::optional<std::string> bytes = session_.BackCoverTextToEdit();
  if (!bytes)
    return;
  // The editor reads and writes the file only through the session's folder.
  text_editor_.LoadText(LocalPathText(WorkingBackCoverText()), *bytes, session_.BackCoverWriter());
  text_editor_.SetBrowseFolder(LocalPathText(settings_.DocumentsFolder));
  text_editor_.SetBackCoverCapacity(ComputeBackCoverCapacity(settings_.Calibration));
  ExecPlaced(text_editor_, *text_editor_place_, settings_.TextEdit);
  // The editor wrote the file itself on OK; the close step compares it with the document. An
  // album's picture kept in an import goes with the track list.
  if (text_editor_.result() == QDialog::Accepted)
    if (std::optional<CoverPicture> picture = text_editor_.TakeImportedPicture()) {
      session_.SetFrontPicture(std::move(picture));
      ShowFrontPicture();
    }
  live_preview_->Changed();
}

void TMain::MenuIndexClick() {
  ShowHelpIndex(desktop_);
}

void TMain::MenuCalibrateClick() {
  if (calibrator_ == nullptr)
    return;
  calibrator_->setWindowTitle(QStringLiteral("Calibrate ") + QString::fromLatin1(kProductName));
  // The window owns the store: OK's choice is stored here before the dialog closes, and a
  // store that fails keeps the dialog open with the values as entered.
  calibrator_->PresetCalibration(
      settings_.Calibration, store_.FactoryPaperSize(), [this](const CalibrationChoice& choice) {
        const SettingsResult saved = store_.SaveCalibration(choice.Calibration);
        if (saved.Failed())
          ShowError(ErrorBoxText(saved.Message()));
        return !saved.Failed();
      });
  ExecPlaced(*calibrator_, *calibrator_place_, settings_.Calibrate);
  // OK's values have been stored; Cancel and the close box hand theirs on unstored.
  settings_.Calibration = calibrator_->Choice().Calibration;
  live_preview_->Changed();
}

void TMain::MenuOptionsClick() {
  if (options_ == nullptr)
    return;
  options_->SetDisplaySplashScreen(settings_.DisplaySplashScreen);
  options_->SetShowToolTips(settings_.ShowToolTips);
  options_->SetOverWriteAlways(settings_.OverWriteAlways);
  ExecPlaced(*options_, *options_place_, settings_.Options);
  // Cancel has put back what it was shown with; every way out hands the boxes back.
  settings_.DisplaySplashScreen = options_->DisplaySplashScreen();
  settings_.ShowToolTips = options_->ShowToolTips();
  settings_.OverWriteAlways = options_->OverWriteAlways();
  tool_tips_->SetEnabled(settings_.ShowToolTips);
}

void TMain::MenuShowAboutClick() {
  if (about_ == nullptr)
    return;
  about_->SetProductTexts(QString::fromLatin1(kProductName), QString::fromLatin1(kProgramVersion),
                          QString::fromLatin1(kPdfLibraryName),
                          QString::fromLatin1(kPdfLibraryVersion));
  ExecPlaced(*about_, *about_place_, settings_.About);
}

void TMain::ExecPlaced(QDialog& dialog, WindowPlace& place, WindowPosition& position) {
  place.Place({position.Left, position.Top});
  dialog.exec();
  const QPoint frame = place.Frame();
  position = {frame.x(), frame.y()};
}

}  // namespace sleevemaster
