// The maps, their exits, victory and defeat.
#pragma once

// One Playing frame: tests the current map against 11, 12, 13, 14, 21, 22 and 30 in this
// order, each test followed at once by that map's whole step, so an exit to a map later in the
// order is played in the same frame.
void LevelStep();
