#include "toolkit/surface/threshold_tables.h"

namespace {

constexpr float D(int b) { return static_cast<float>(2 * b + 1) / 32.0f; }

}  // namespace

const ThresholdTable roundingThresholds = {
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
};

const ThresholdTable orderedDitherThresholds = {
    {D(15), D(7), D(13), D(5), D(15), D(7), D(13), D(5)},
    {D(3), D(11), D(1), D(9), D(3), D(11), D(1), D(9)},
    {D(12), D(4), D(14), D(6), D(12), D(4), D(14), D(6)},
    {D(0), D(8), D(2), D(10), D(0), D(8), D(2), D(10)},
};
