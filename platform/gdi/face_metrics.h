// GDI's sizes and metrics of a FreeType face (not part of the program's interface).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <optional>
#include <vector>

#include "platform/gdi/face_size.h"
#include "platform/gdi/records.h"

namespace gdi {

// The em sizes that the LOGFONT's height and width ask for; empty for sizes beyond
// kLargestSize or a face without outlines.
std::optional<FaceSize> SizeFor(FT_Face face, const LOGFONTW& logFont);
// The mapped characters of the Basic Multilingual Plane, as ranges.
std::vector<WCRANGE> MappedRanges(FT_Face face);
// The face's TEXTMETRICW at the given size; italic is set when the face is italic or slanted
// on the LOGFONT's request.
TEXTMETRICW MeasureFace(FT_Face face, const LOGFONTW& logFont, const FaceSize& size, bool slanted,
                        const std::vector<WCRANGE>& ranges);

}  // namespace gdi
