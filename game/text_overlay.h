// The two lines of text over the boss map: the boss's facing and the credit line.
#pragma once

// Makes `directionFont` and `creditFont` on `device`; the last step of SetUpDevice.
void CreateOverlayFonts();

// Draws both lines through the fonts' own sprites. Called by DrawBossFrame after the boss's
// health bar and before EndScene.
void DrawOverlayText();
