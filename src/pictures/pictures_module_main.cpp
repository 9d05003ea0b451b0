// Entry of the picture decoders' module, loaded by the writer for an insert whose picture must
// be decoded, so that libjpeg, libpng and zlib cost nothing to any other run.
#include <new>
#include <type_traits>

#include "files/program_module.h"
#include "pictures/picture_codec.h"

SLEEVEMASTER_MODULE_ENTRY bool SleevemasterMakePdfImage(const std::string* picture,
                                                        const sleevemaster::PictureInfo* info,
                                                        const sleevemaster::PictureTarget* target,
                                                        sleevemaster::PdfImage* image,
                                                        sleevemaster::PictureProblem* problem) {
  try {
    auto made = sleevemaster::MakePdfImage(*picture, *info, *target);
    if (!made) {
      *problem = made.Error();
      return false;
    }
    *image = std::move(made.Value());
    return true;
  } catch (const std::bad_alloc&) {
    problem->Kind = sleevemaster::PictureProblemKind::Damaged;
    problem->What = "too large to decode in the memory there is";
    return false;
  }
}

static_assert(std::is_same_v<decltype(&SleevemasterMakePdfImage), SleevemasterMakePdfImageFn>);
