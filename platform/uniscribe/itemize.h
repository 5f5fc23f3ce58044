// Items of a text: runs of one embedding level and one script (not part of the program's
// interface).
#pragma once

#include <vector>

#include "platform/uniscribe/usp10.h"

namespace uniscribe {

struct ItemRun {
  int start = 0;  // first UTF-16 unit
  int level = 0;  // embedding level, below 32
  WORD scriptId = SCRIPT_UNDEFINED;
  bool layoutRightToLeft = false;  // odd level, or a number raised inside right-to-left text
};

// Levels come from the Unicode bidirectional algorithm for a paragraph whose base level is
// `state.uBidiLevel` (all at that level with fOverrideDirection). False when memory runs out.
bool FindItems(const WCHAR* text, int length, const SCRIPT_STATE& state,
               std::vector<ItemRun>& items);

// The visual order of items from their levels (the algorithm's rule L2 over whole items):
// order[k] is the item shown k-th from the left.
std::vector<int> VisualItemOrder(const std::vector<ItemRun>& items);

}  // namespace uniscribe
