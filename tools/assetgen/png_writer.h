// Turns a finished picture into PNG bytes for the game's colour-key loading.
//
// The game keys one exact colour out of each picture, so the file is plain RGB: every
// transparent pixel is written as the key, and an opaque pixel that comes within
// kKeyClearance of the key on every channel is pushed just outside that distance, so that no
// drawn pixel can be taken for (or look like a fringe of) the key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

constexpr int kKeyClearance = 12;

// The colour an opaque pixel is written as, given the picture's key.
Rgba KeepClearOfKey(Rgba c, Rgba key);

// Empty on failure.
std::vector<uint8_t> EncodePng(const Canvas& picture, Rgba key);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
