// The Unicode bidirectional algorithm for character placement, over FriBidi (not part of the
// program's interface).
#pragma once

#include <vector>

#include "platform/win32/types.h"

namespace gdi {

// The GCPCLASS_* of a character by its Unicode bidirectional class: letters of strong
// right-to-left classes are 2, other letters 1, digits 5 (European) or 4 (Arabic-Indic),
// number terminators 6, separators 7 and 8, everything else neutral (3).
BYTE ClassOfCharacter(UINT character);

// Display order of one paragraph: visual[k] is the logical index shown at position k.
// classes holds a GCPCLASS_* per character that overrides the character's own class, or 0.
// mirrored tells, per logical character, whether it lies at a right-to-left level (where
// paired punctuation shows mirrored).
struct BidiOrder {
  std::vector<UINT> visual;
  std::vector<bool> rightToLeft;
};
BidiOrder ReorderParagraph(const WCHAR* text, UINT count, const std::vector<BYTE>& classes,
                           bool rightToLeftParagraph);

// Whether ReorderParagraph could give anything but the logical order with every character left
// to right: false only for a left-to-right paragraph none of whose characters (under their
// override classes) is right to left, an Arabic-Indic digit or an explicit embedding, override
// or isolate. Cheap enough to ask before every reordering.
bool MayReorder(const WCHAR* text, UINT count, const std::vector<BYTE>& classes,
                bool rightToLeftParagraph);

// The mirrored form of a character ("(" for ")"), or the character itself.
WCHAR MirroredCharacter(WCHAR character);

}  // namespace gdi
