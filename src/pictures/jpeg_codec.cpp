// JPEG through libjpeg-turbo: reading rows at a reduced size, and writing a JPEG anew.
//
// libjpeg reports a fatal error by calling back, and the callback must not return: it jumps
// back to the setjmp of the function that called the library. Between a setjmp and the calls
// it guards, no object with a destructor is made, so the jump passes over nothing but
// libjpeg's own frames.
#include "pictures/jpeg_codec.h"

#include <cstdlib>

namespace sleevemaster {

namespace {

[[noreturn]] void JumpBack(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->Message);
  std::longjmp(errors->Back, 1);
}

// Warnings (a few stray bytes between markers, data that ends early) are what every viewer lets
// pass; the picture is decoded as far as it goes.
void Silently(j_common_ptr, int) {}

jpeg_error_mgr* Jumping(JpegErrors& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = JumpBack;
  errors.Manager.emit_message = Silently;
  return &errors.Manager;
}

}  // namespace

JpegReader::~JpegReader() {
  if (created_)
    jpeg_destroy_decompress(&info_);
}

bool JpegReader::Start(std::string_view bytes, unsigned scaleDown, int components) {
  info_.err = Jumping(errors_);
  if (setjmp(errors_.Back) != 0) {
    message_ = errors_.Message;
    return false;
  }
  jpeg_create_decompress(&info_);
  created_ = true;
  jpeg_mem_src(&info_, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info_, TRUE);
  info_.scale_num = 1;
  info_.scale_denom = scaleDown;
  info_.out_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info_);
  return true;
}

bool JpegReader::ReadRow(std::uint8_t* row) {
  if (setjmp(errors_.Back) != 0) {
    message_ = errors_.Message;
    return false;
  }
  JSAMPROW rows[] = {row};
  return jpeg_read_scanlines(&info_, rows, 1) == 1;
}

bool WriteJpeg(const Pixels& pixels, int quality, std::string& jpeg, std::string& message) {
  // What the jump may pass over is plain data in one block, freed after it.
  struct Writer {
    jpeg_compress_struct Info;
    JpegErrors Errors;
    unsigned char* Buffer;
    unsigned long Size;
  };
  auto* writer = static_cast<Writer*>(std::calloc(1, sizeof(Writer)));
  if (writer == nullptr) {
    message = "no memory for it";
    return false;
  }
  writer->Info.err = Jumping(writer->Errors);
  jpeg_create_compress(&writer->Info);
  if (setjmp(writer->Errors.Back) != 0) {
    message = writer->Errors.Message;
    jpeg_destroy_compress(&writer->Info);
    std::free(writer->Buffer);
    std::free(writer);
    return false;
  }
  jpeg_mem_dest(&writer->Info, &writer->Buffer, &writer->Size);
  writer->Info.image_width = static_cast<JDIMENSION>(pixels.Width);
  writer->Info.image_height = static_cast<JDIMENSION>(pixels.Height);
  writer->Info.input_components = pixels.Components;
  writer->Info.in_color_space = pixels.Components == 1   ? JCS_GRAYSCALE
                                : pixels.Components == 4 ? JCS_CMYK
                                                         : JCS_RGB;
  jpeg_set_defaults(&writer->Info);
  // CMYK stays CMYK, with the Adobe marker that says its values are stored inverted.
  if (pixels.Components == 4)
    jpeg_set_colorspace(&writer->Info, JCS_CMYK);
  jpeg_set_quality(&writer->Info, quality, TRUE);
  writer->Info.optimize_coding = TRUE;
  jpeg_start_compress(&writer->Info, TRUE);
  const std::size_t stride =
      static_cast<std::size_t>(pixels.Width) * static_cast<std::size_t>(pixels.Components);
  while (writer->Info.next_scanline < writer->Info.image_height) {
    JSAMPROW row[] = {const_cast<JSAMPLE*>(pixels.Data.data()) +
                      writer->Info.next_scanline * stride};
    jpeg_write_scanlines(&writer->Info, row, 1);
  }
  jpeg_finish_compress(&writer->Info);
  jpeg.assign(reinterpret_cast<const char*>(writer->Buffer), writer->Size);
  jpeg_destroy_compress(&writer->Info);
  std::free(writer->Buffer);
  std::free(writer);
  return true;
}

}  // namespace sleevemaster
