#include "mainwindow/document_text_rules.h"

#include <QChar>
#include <QLineEdit>
#include <QPoint>
#include <QToolTip>
#include <QVariant>
#include <algorithm>

#include "pdf/font/insert_font.h"
#include "session/save_insert.h"

namespace sleevemaster {

namespace {

// The field's own limit, kept beside it: maxLength is raised while a longer loaded text is
// shown and falls back as that text is shortened.
constexpr const char* kLimitProperty = "sleevemasterTypingLimit";

int LimitOf(const QLineEdit* field) {
  return field->property(kLimitProperty).toInt();
}

void FitMaxLength(QLineEdit* field, qsizetype length) {
  const int limit = LimitOf(field);
  field->setMaxLength(static_cast<int>(std::max<qsizetype>(limit, length)));
}

}  // namespace

bool IsDocumentCharacter(char32_t character) {
  if (QChar::category(character) == QChar::Other_Control)
    return false;
  return FontCanPrint(character);
}

PrintableTextValidator::PrintableTextValidator(QLineEdit* field) : QValidator(field) {
  field->setValidator(this);
}

QValidator::State PrintableTextValidator::validate(QString& input, int& /*position*/) const {
  refused_.reset();
  for (const uint character : input.toUcs4()) {
    if (!IsDocumentCharacter(character) && !tolerated_.contains(character)) {
      refused_ = character;
      return Invalid;
    }
  }
  return Acceptable;
}

void PrintableTextValidator::Tolerate(const QString& text) {
  tolerated_.clear();
  for (const uint character : text.toUcs4()) {
    if (!IsDocumentCharacter(character) && !tolerated_.contains(character))
      tolerated_.append(character);
  }
}

void InstallDocumentTextRules(QLineEdit* field, int limit, const QString& what) {
  field->setProperty(kLimitProperty, limit);
  field->setMaxLength(limit);
  auto* const validator = new PrintableTextValidator(field);
  QObject::connect(field, &QLineEdit::textEdited, field,
                   [field](const QString& text) { FitMaxLength(field, text.size()); });
  // A key that does nothing would leave the user guessing: the refused character is named
  // where the user looks, below the field. A key refused by the limit says nothing, as before.
  QObject::connect(field, &QLineEdit::inputRejected, field, [field, validator, what] {
    if (const std::optional<char32_t> refused = validator->TakeRefused())
      QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                         NotPrintable(what, *refused), field);
  });
}

void SetDocumentText(QLineEdit* field, const QString& text) {
  // Raise the limit first: setText cuts a text to maxLength.
  FitMaxLength(field, text.size());
  if (auto* validator = field->findChild<PrintableTextValidator*>())
    validator->Tolerate(text);
  field->setText(text);
}

}  // namespace sleevemaster
