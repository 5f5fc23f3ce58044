// Shortest paths over the 32 x 32 grid, moving along x or y one cell at a time (the hero's
// moves are axis steps, so a diagonal squeeze between two blocked cells is no way through).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct GridCell {
  int32_t x;
  int32_t y;
  bool operator==(const GridCell&) const = default;
};

using CellTest = std::function<bool(int32_t x, int32_t y)>;

// The cells from `start` to the nearest cell meeting `goal`, both included, stepping only onto
// cells that are `passable` (the start need not be). Empty when no goal can be reached.
std::vector<GridCell> FindPath(GridCell start, const CellTest& passable, const CellTest& goal);

// Every cell reachable from `start` the same way, the start included.
std::vector<GridCell> ReachableCells(GridCell start, const CellTest& passable);
