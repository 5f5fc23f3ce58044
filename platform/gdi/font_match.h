// Choice of a font file for a logical font through fontconfig (not part of the program's
// interface).
#pragma once

#include <optional>
#include <string>

#include "platform/gdi/records.h"

namespace gdi {

struct FaceChoice {
  std::string file;
  int index = 0;              // face within the file
  bool slantMissing = false;  // italic asked for, but the face is upright
};

// The face name is tried as a family first, then as a family followed by style words
// ("Times New Roman Italic", "Arial Bold"), whose style joins the LOGFONT's. A family counts
// when fontconfig has it or names it as a strong alias ("Arial" -> Liberation Sans). When no
// reading of the name is offered, or the name is empty, fontconfig's choice for the generic
// family of lfPitchAndFamily (sans-serif by default) is taken, in the style of the name's
// style words ("Unknown Bold" is a bold sans-serif). Empty only when fontconfig offers no face.
std::optional<FaceChoice> ChooseFace(const LOGFONTW& logFont);

}  // namespace gdi
