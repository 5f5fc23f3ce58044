// The hero's control by the keyboard, and the blow that the hero and the enemies share.
#pragma once

#include <cstdint>

// Polls the arrow keys (Left, Right, Up, Down, each one independently: strip, move, facing)
// and then Space (attack strip and a blow at every enemy record within 1.5 cells, by the
// distances measured at the end of the previous frame).
void ControlHero();

// Attacker a strikes target t: the blow lands only when t lies on the side a faces; it takes
// a's damage from t's health and knocks t one cell further that way. The knock-back ignores
// the grid, obstacles and the target's marker.
void Strike(int32_t a, int32_t t);
