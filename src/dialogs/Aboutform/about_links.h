// The product's home page and mail address, shown and opened by the About box. They belong to
// the product's owner: fill them in here, nowhere else.
#pragma once

namespace sleevemaster {

/// Shown in the About box.
inline constexpr const char* kHomePageAddress = "https://sleevemaster.example.org";
/// What a click on the home page opens: its index page.
inline constexpr const char* kHomePageIndex = "https://sleevemaster.example.org/index.html";
/// Shown in the About box; a click opens "mailto:" followed by it.
inline constexpr const char* kMailAddress = "sleevemaster@example.org";
/// The credit lines of the About box and the splash screen.
inline constexpr const char* kCreditLine = "Written by the Sleevemaster developers";

}  // namespace sleevemaster
