// Script ids: this module's eScript values (not part of the program's interface). A script id
// is ICU's code of a Unicode script; common characters that stand alone are SCRIPT_UNDEFINED,
// which is ICU's code of the common script.
#pragma once

#include <hb.h>

#include "platform/uniscribe/usp10.h"

namespace uniscribe {

// Number of script ids: every id is below it.
int ScriptIdCount();
// The script of a code point, before common and inherited characters are resolved.
WORD ScriptIdOf(char32_t character);
// Common (joins its neighbours), inherited (joins the character before) or unknown.
bool JoinsNeighbours(WORD scriptId);
// HarfBuzz's script, or HB_SCRIPT_INVALID where HarfBuzz should guess from the text.
hb_script_t HarfBuzzScript(WORD scriptId);
// The process's table of properties, one per script id.
const SCRIPT_PROPERTIES** ScriptPropertyTable();

}  // namespace uniscribe
