// Movement and collision on the grid. Positions are continuous, collision is per cell: the
// occupancy layer holds obstacles (> 0) and one marker -i for the cell that actor i last moved
// into.
#pragma once

#include <cstdint>

// Moves object i by `step` cells in direction code d (0..7), unless the new position is off
// the grid or its cell holds anything but 0 or the actor's own marker. A refused move is
// silent and changes nothing.
void MoveObject(int32_t i, int32_t d, float step);

// Stores the distance between object i and the hero, in cells, into its heroDistance.
void MeasureHeroDistance(int32_t i);
