#include "mainwindow/windows1252_validator.h"

#include <QChar>
#include <QLineEdit>
#include <QVariant>
#include <algorithm>
#include <string>

#include "pdf/text_encoding.h"

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
  const QString one = QString::fromUcs4(&character, 1);
  return Utf8ToWindows1252(one.toStdString()).Ok;
}

Windows1252Validator::Windows1252Validator(QLineEdit* field) : QValidator(field) {
  field->setValidator(this);
}

QValidator::State Windows1252Validator::validate(QString& input, int& /*position*/) const {
  for (const uint character : input.toUcs4()) {
    if (!IsDocumentCharacter(character) && !tolerated_.contains(character))
      return Invalid;
  }
  return Acceptable;
}

void Windows1252Validator::Tolerate(const QString& text) {
  tolerated_.clear();
  for (const uint character : text.toUcs4()) {
    if (!IsDocumentCharacter(character) && !tolerated_.contains(character))
      tolerated_.append(character);
  }
}

void InstallDocumentTextRules(QLineEdit* field, int limit) {
  field->setProperty(kLimitProperty, limit);
  field->setMaxLength(limit);
  new Windows1252Validator(field);
  QObject::connect(field, &QLineEdit::textEdited, field,
                   [field](const QString& text) { FitMaxLength(field, text.size()); });
}

void SetDocumentText(QLineEdit* field, const QString& text) {
  // Raise the limit first: setText cuts a text to maxLength.
  FitMaxLength(field, text.size());
  if (auto* validator = field->findChild<Windows1252Validator*>())
    validator->Tolerate(text);
  field->setText(text);
}

}  // namespace sleevemaster
