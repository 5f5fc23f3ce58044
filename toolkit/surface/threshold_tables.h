// Quantisation thresholds: what is added to value x m before truncation, by row and by pixel.
// Each table is 4 rows of 8 floats, every row holding its 4 values twice, so that
// [row & 3][(slice & 3) + (i & 3)] needs no wrap.
#pragma once

using ThresholdTable = float[4][8];

// 0.5 everywhere: round half up.
extern const ThresholdTable roundingThresholds;
// (2B + 1) / 32 for the 4 x 4 ordered-dither matrix B.
extern const ThresholdTable orderedDitherThresholds;
