// A player for whole games without a display. Each frame it looks at the world and chooses
// the keys: Enter on the pictures; on a map it strikes any enemy within reach (turning to face
// it first) and otherwise walks the shortest way over free cells of the occupancy layer toward
// its goal, planning afresh every frame as the enemies move.
#pragma once

#include "game/harness/game_driver.h"
#include "game/harness/grid_search.h"

class PlaythroughBot {
 public:
  enum class Plan {
    kWinGame,     // map to map along the shortest route, then kill the boss
    kStandStill,  // press nothing on the maps: the enemies come and kill the hero
  };

  explicit PlaythroughBot(Plan plan = Plan::kWinGame) : plan_(plan) {}

  // The keys for the coming frame.
  KeySet NextKeys() const;

 private:
  KeySet PlayMap() const;
  KeySet Walk() const;

  Plan plan_;
};

// The map the bot makes for next when it is on `map`, on its way to the boss; 0 on the boss
// map.
int32_t NextMapOnRoute(int32_t map);

// Runs frames with the bot's keys until `done` holds or `maxFrames` have run; returns the
// number of frames run.
int64_t RunBot(GameDriver& driver, const PlaythroughBot& bot, int64_t maxFrames,
               const std::function<bool()>& done);
