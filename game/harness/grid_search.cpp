#include "game/harness/grid_search.h"

#include <array>
#include <deque>

namespace {

constexpr int32_t kSize = 32;
constexpr GridCell kNeighbours[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};

bool OnGrid(GridCell c) { return c.x >= 0 && c.x < kSize && c.y >= 0 && c.y < kSize; }

// Breadth-first from the start; stops at the first goal when one is given.
class Search {
 public:
  Search(GridCell start, const CellTest& passable) : passable_(passable) {
    for (auto& row : from_) row.fill(GridCell{-1, -1});
    if (!OnGrid(start)) return;
    Visit(start, start);
  }

  bool RunTo(const CellTest& goal, GridCell* found) {
    while (!queue_.empty()) {
      const GridCell c = queue_.front();
      queue_.pop_front();
      if (goal && goal(c.x, c.y)) {
        *found = c;
        return true;
      }
      for (const GridCell& d : kNeighbours) {
        const GridCell n{c.x + d.x, c.y + d.y};
        if (OnGrid(n) && !Seen(n) && passable_(n.x, n.y)) Visit(n, c);
      }
    }
    return false;
  }

  std::vector<GridCell> PathTo(GridCell end) const {
    std::vector<GridCell> path{end};
    while (!(from_[path.back().y][path.back().x] == path.back())) {
      path.push_back(from_[path.back().y][path.back().x]);
    }
    return {path.rbegin(), path.rend()};
  }

  const std::vector<GridCell>& visited() const { return visited_; }

 private:
  bool Seen(GridCell c) const { return from_[c.y][c.x].x >= 0; }
  void Visit(GridCell c, GridCell from) {
    from_[c.y][c.x] = from;
    queue_.push_back(c);
    visited_.push_back(c);
  }

  const CellTest& passable_;
  std::array<std::array<GridCell, kSize>, kSize> from_;
  std::deque<GridCell> queue_;
  std::vector<GridCell> visited_;
};

}  // namespace

std::vector<GridCell> FindPath(GridCell start, const CellTest& passable, const CellTest& goal) {
  Search search(start, passable);
  GridCell end{};
  if (!search.RunTo(goal, &end)) return {};
  return search.PathTo(end);
}

std::vector<GridCell> ReachableCells(GridCell start, const CellTest& passable) {
  Search search(start, passable);
  GridCell unused{};
  search.RunTo(nullptr, &unused);
  return search.visited();
}
