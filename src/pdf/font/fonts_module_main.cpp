// Entry of the font subsetter's module (HarfBuzz's hb-subset), loaded only by a run that writes
// an insert with characters outside Windows-1252.
#include <hb-subset.h>

#include <memory>
#include <type_traits>

#include "files/program_module.h"
#include "pdf/font/font_subset.h"

namespace {

template <typename T, void (*Destroy)(T*)>
struct Deleter {
  void operator()(T* p) const { Destroy(p); }
};
template <typename T, void (*Destroy)(T*)>
using Owned = std::unique_ptr<T, Deleter<T, Destroy>>;

void Subset(const std::string& font, const std::vector<char32_t>& characters,
            sleevemaster::FontSubset& result) {
  const Owned<hb_blob_t, hb_blob_destroy> blob(hb_blob_create_or_fail(
      font.data(), static_cast<unsigned>(font.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr));
  const Owned<hb_face_t, hb_face_destroy> face(hb_face_create(blob.get(), 0));
  const Owned<hb_subset_input_t, hb_subset_input_destroy> input(hb_subset_input_create_or_fail());
  if (!blob || !input) {
    result.Error = "The font subsetter is out of memory.";
    return;
  }
  hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
  for (const char32_t c : characters)
    hb_set_add(unicodes, c);
  // Only the outlines are embedded: without the layout tables no ligature or alternate of the
  // characters is pulled in, and their glyphs are all the subset holds.
  hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (const char* tag : {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "PCLT"})
    hb_set_add(dropped, hb_tag_from_string(tag, 4));

  const Owned<hb_subset_plan_t, hb_subset_plan_destroy> plan(
      hb_subset_plan_create_or_fail(face.get(), input.get()));
  const Owned<hb_face_t, hb_face_destroy> subset(plan ? hb_subset_plan_execute_or_fail(plan.get())
                                                      : nullptr);
  const Owned<hb_blob_t, hb_blob_destroy> cff(
      subset ? hb_face_reference_table(subset.get(), HB_TAG('C', 'F', 'F', ' ')) : nullptr);
  unsigned length = 0;
  const char* data = cff ? hb_blob_get_data(cff.get(), &length) : nullptr;
  if (data == nullptr || length == 0) {
    result.Error = "The font cannot be cut down to the insert's characters.";
    return;
  }
  result.Cff.assign(data, length);

  const hb_map_t* old_glyphs = hb_subset_plan_unicode_to_old_glyph_mapping(plan.get());
  const hb_map_t* new_glyphs = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
  result.Glyphs.reserve(characters.size());
  for (const char32_t c : characters) {
    const hb_codepoint_t old_glyph = hb_map_get(old_glyphs, c);
    const hb_codepoint_t glyph = old_glyph == HB_MAP_VALUE_INVALID
                                     ? HB_MAP_VALUE_INVALID
                                     : hb_map_get(new_glyphs, old_glyph);
    result.Glyphs.push_back(
        glyph == HB_MAP_VALUE_INVALID || glyph > 0xFFFF ? 0 : static_cast<std::uint16_t>(glyph));
  }
}

}  // namespace

SLEEVEMASTER_MODULE_ENTRY void SleevemasterSubsetFont(const std::string* font,
                                                      const std::vector<char32_t>* characters,
                                                      sleevemaster::FontSubset* result) {
  *result = sleevemaster::FontSubset();
  Subset(*font, *characters, *result);
}

static_assert(std::is_same_v<decltype(&SleevemasterSubsetFont), SleevemasterSubsetFontFn>);
