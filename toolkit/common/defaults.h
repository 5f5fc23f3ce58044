// Argument values that ask the toolkit to choose. The function receiving one says what it
// chooses.
#pragma once

#include <cfloat>

#include "platform/win32/types.h"

// As a size, level count, usage or filter: the toolkit's choice.
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
// As a size: the image's own size, not rounded to a power of two.
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
// As a size, level count or format: the value stored in the file.
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;
// As a floating-point argument: the toolkit's choice.
constexpr float D3DX_DEFAULT_FLOAT = FLT_MAX;
