// Conversion of channel values between numeric classes, done on encode when the two sides of
// a copy differ in class and the destination is not floating-point.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/surface/pixel_format.h"
#include "toolkit/surface/pixel_region.h"

// Writes `count` pixels of `in`, read as class `from`, into `out` as class `to`. `out` may be
// `in`. A pair without a rule (same class, or a floating-point destination) copies.
void ConvertNumericClass(const FloatPixel* in, FloatPixel* out, UINT count, NumericClass to,
                         NumericClass from);
