// The date texts of the front cover's bottom right corner and their recognisers.
#pragma once

#include <string>
#include <string_view>

#include "pdf/cover_document.h"

namespace sleevemaster {

/// "06 Dec 2026": day with leading zero, English month abbreviation, four-digit year.
std::string FormatDateText(const LocalTime& time);
/// "06 Dec 2026 17:54".
std::string FormatDateTimeText(const LocalTime& time);
/// True for exactly the texts of FormatDateText's form (years 1000 to 2999).
bool IsDateText(std::string_view text);
/// True for exactly the texts of FormatDateTimeText's form.
bool IsDateTimeText(std::string_view text);

}  // namespace sleevemaster
