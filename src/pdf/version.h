// The product's names and versions, recorded in every document.
#pragma once

#define SLEEVEMASTER_PRODUCT "Sleevemaster"
#define SLEEVEMASTER_VERSION "3.1.0 (Build 0030)"
#define SLEEVEMASTER_PDF_LIBRARY "PDF library"
#define SLEEVEMASTER_PDF_LIBRARY_VERSION "1.2.8"

namespace sleevemaster {

inline constexpr const char* kProductName = SLEEVEMASTER_PRODUCT;
inline constexpr const char* kProgramVersion = SLEEVEMASTER_VERSION;
inline constexpr const char* kPdfLibraryName = SLEEVEMASTER_PDF_LIBRARY;
inline constexpr const char* kPdfLibraryVersion = SLEEVEMASTER_PDF_LIBRARY_VERSION;
/// "Sleevemaster PDF library": the writer's name in the header.
inline constexpr const char* kProducerName = SLEEVEMASTER_PRODUCT " " SLEEVEMASTER_PDF_LIBRARY;
/// "Sleevemaster 3.1.0 (Build 0030)"
inline constexpr const char* kCreatorText = SLEEVEMASTER_PRODUCT " " SLEEVEMASTER_VERSION;
/// "Sleevemaster PDF library 1.2.8"
inline constexpr const char* kProducerText =
    SLEEVEMASTER_PRODUCT " " SLEEVEMASTER_PDF_LIBRARY " " SLEEVEMASTER_PDF_LIBRARY_VERSION;

}  // namespace sleevemaster
