// Keeps the characters of a one-line field within what the insert's font prints, and its
// length within the field's limit.
#pragma once

#include <QValidator>
#include <optional>
#include <utility>

class QLineEdit;

namespace sleevemaster {

/// Refuses any change to its field that brings in a character the insert's font cannot print
/// or a control character, whether typed or pasted: every text is printed as typed, on one
/// line. The characters of a text that the program set (Tolerate) are let stand, so a loaded
/// value stays editable around them.
class PrintableTextValidator final : public QValidator {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PrintableTextValidator)

 public:
  /// Becomes the field's validator and its child.
  explicit PrintableTextValidator(QLineEdit* field);

  State validate(QString& input, int& position) const override;

  /// Lets the characters of `text` stand, and only those, besides the document characters.
  void Tolerate(const QString& text);

  /// The character that made the last check refuse an edit, once; nothing when the last check
  /// took the edit.
  std::optional<char32_t> TakeRefused() { return std::exchange(refused_, std::nullopt); }

 private:
  QList<uint> tolerated_;
  mutable std::optional<char32_t> refused_;
};

/// True when the character can be typed into a document field: the insert's font prints it
/// and it is not a control character.
bool IsDocumentCharacter(char32_t character);

/// Gives the field the typing limit and the character check of a document text. A character
/// refused as it is typed or pasted is named beside the field: "`what` contains ...".
void InstallDocumentTextRules(QLineEdit* field, int limit, const QString& what);

/// Shows a text that the program sets (a loaded value, or the empty text) in a field set up by
/// InstallDocumentTextRules. A longer text than the limit is shown in full, as the document
/// holds it; typing can then shorten it but never make it longer.
void SetDocumentText(QLineEdit* field, const QString& text);

}  // namespace sleevemaster
