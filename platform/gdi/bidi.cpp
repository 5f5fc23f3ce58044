// Bidirectional classes and reordering through FriBidi.
#include "platform/gdi/bidi.h"

#include <fribidi.h>

#include <array>
#include <numeric>

#include "platform/gdi/records.h"

namespace gdi {
namespace {

// FriBidi's types of the first 256 characters, made when the program starts: placement asks
// for every character of a text on every call.
const std::array<FriBidiCharType, 256> latinTypes = [] {
  std::array<FriBidiCharType, 256> types{};
  for (UINT c = 0; c < types.size(); ++c) types[c] = fribidi_get_bidi_type(c);
  return types;
}();

FriBidiCharType BidiType(UINT character) {
  return character < latinTypes.size() ? latinTypes[character] : fribidi_get_bidi_type(character);
}

FriBidiCharType TypeOfClass(BYTE gcpClass, FriBidiCharType own) {
  switch (gcpClass) {
    case GCPCLASS_LATIN:
      return FRIBIDI_TYPE_LTR;
    case GCPCLASS_HEBREW:
      return FRIBIDI_TYPE_RTL;
    case GCPCLASS_NEUTRAL:
      return FRIBIDI_TYPE_ON;
    case GCPCLASS_LOCALNUMBER:
      return FRIBIDI_TYPE_AN;
    case GCPCLASS_LATINNUMBER:
      return FRIBIDI_TYPE_EN;
    case GCPCLASS_LATINNUMERICTERMINATOR:
      return FRIBIDI_TYPE_ET;
    case GCPCLASS_LATINNUMERICSEPARATOR:
      return FRIBIDI_TYPE_ES;
    case GCPCLASS_NUMERICSEPARATOR:
      return FRIBIDI_TYPE_CS;
    default:
      return own;
  }
}

// Types that stay at level 0 in a left-to-right paragraph without right-to-left characters:
// European numbers there resolve to left to right, neutrals to the paragraph's direction.
bool StaysLeftToRight(FriBidiCharType type) {
  switch (type) {
    case FRIBIDI_TYPE_LTR:
    case FRIBIDI_TYPE_EN:
    case FRIBIDI_TYPE_ES:
    case FRIBIDI_TYPE_ET:
    case FRIBIDI_TYPE_CS:
    case FRIBIDI_TYPE_NSM:
    case FRIBIDI_TYPE_BN:
    case FRIBIDI_TYPE_BS:
    case FRIBIDI_TYPE_SS:
    case FRIBIDI_TYPE_WS:
    case FRIBIDI_TYPE_ON:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool MayReorder(const WCHAR* text, UINT count, const std::vector<BYTE>& classes,
                bool rightToLeftParagraph) {
  if (rightToLeftParagraph) return true;
  for (UINT i = 0; i < count; ++i) {
    FriBidiCharType type = BidiType(text[i]);
    if (i < classes.size()) type = TypeOfClass(classes[i], type);
    if (!StaysLeftToRight(type)) return true;
  }
  return false;
}

BYTE ClassOfCharacter(UINT character) {
  switch (BidiType(character)) {
    case FRIBIDI_TYPE_LTR:
      return GCPCLASS_LATIN;
    case FRIBIDI_TYPE_RTL:
    case FRIBIDI_TYPE_AL:
      return GCPCLASS_HEBREW;
    case FRIBIDI_TYPE_EN:
      return GCPCLASS_LATINNUMBER;
    case FRIBIDI_TYPE_AN:
      return GCPCLASS_LOCALNUMBER;
    case FRIBIDI_TYPE_ET:
      return GCPCLASS_LATINNUMERICTERMINATOR;
    case FRIBIDI_TYPE_ES:
      return GCPCLASS_LATINNUMERICSEPARATOR;
    case FRIBIDI_TYPE_CS:
      return GCPCLASS_NUMERICSEPARATOR;
    default:
      return GCPCLASS_NEUTRAL;
  }
}

BidiOrder ReorderParagraph(const WCHAR* text, UINT count, const std::vector<BYTE>& classes,
                           bool rightToLeftParagraph) {
  BidiOrder order;
  order.visual.resize(count);
  std::iota(order.visual.begin(), order.visual.end(), 0u);
  order.rightToLeft.assign(count, rightToLeftParagraph);
  if (count == 0) return order;
  std::vector<FriBidiChar> characters(text, text + count);
  std::vector<FriBidiCharType> types(count);
  std::vector<FriBidiBracketType> brackets(count);
  fribidi_get_bidi_types(characters.data(), static_cast<FriBidiStrIndex>(count), types.data());
  for (UINT i = 0; i < count && i < classes.size(); ++i) {
    types[i] = TypeOfClass(classes[i], types[i]);
  }
  fribidi_get_bracket_types(characters.data(), static_cast<FriBidiStrIndex>(count), types.data(),
                            brackets.data());
  std::vector<FriBidiLevel> levels(count);
  FriBidiParType direction = rightToLeftParagraph ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(),
                                          static_cast<FriBidiStrIndex>(count), &direction,
                                          levels.data()) == 0) {
    return order;
  }
  for (UINT i = 0; i < count; ++i) order.rightToLeft[i] = (levels[i] & 1) != 0;
  std::vector<FriBidiStrIndex> map(count);
  std::iota(map.begin(), map.end(), 0);
  if (fribidi_reorder_line(0, types.data(), static_cast<FriBidiStrIndex>(count), 0, direction,
                           levels.data(), nullptr, map.data()) == 0) {
    return order;
  }
  for (UINT k = 0; k < count; ++k) order.visual[k] = static_cast<UINT>(map[k]);
  return order;
}

WCHAR MirroredCharacter(WCHAR character) {
  FriBidiChar mirrored = character;
  if (fribidi_get_mirror_char(character, &mirrored) && mirrored <= 0xFFFF) {
    return static_cast<WCHAR>(mirrored);
  }
  return character;
}

}  // namespace gdi
