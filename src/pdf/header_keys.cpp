#include "pdf/header_keys.h"

namespace sleevemaster {

bool RecordsBlock(const HeaderKey& key, CReadTextFile& back) {
  if (!IsBlock(key) || back.ReaderStatus() != CReadTextFile::kFits)
    return false;
  if (key.Form == HeaderForm::Block)
    return true;
  back.Rewind();
  bool needed = false;
  while (!back.AtEnd() && !needed)
    needed = !IsWindows1252Text(back.ReadLine());
  back.Rewind();
  return needed;
}

const HeaderKey* FirstTextOverLimit(const HeaderSource& source) {
  for (const HeaderKey& key : kHeaderKeys) {
    if (key.Limit == 0)
      continue;
    const std::optional<std::string_view> text = RecordedText(key, source);
    if (text && CharacterCount(*text) > key.Limit)
      return &key;
  }
  return nullptr;
}

}  // namespace sleevemaster
