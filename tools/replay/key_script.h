// Key scripts of the replay tool: which keys are held in which frames.
//
//   # a comment runs to the end of the line; blank lines are skipped
//   FIRST LAST KEY...     hold these keys from frame FIRST to frame LAST, both included
//
// Frames count from 0. Key names: Left, Right, Up, Down, Space, Enter. Ranges may overlap; a
// frame holds the keys of every line that covers it.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "game/harness/game_driver.h"

struct KeyScriptLine {
  int64_t first;
  int64_t last;
  KeySet keys;
};

class KeyScript {
 public:
  void Add(const KeyScriptLine& line) { lines_.push_back(line); }
  // The keys held in `frame`.
  KeySet KeysAt(int64_t frame) const;
  const std::vector<KeyScriptLine>& Lines() const { return lines_; }

 private:
  std::vector<KeyScriptLine> lines_;
};

// Reads a whole script. On a bad line returns false with `error` naming the line number and
// what is wrong; `script` then holds the lines before it.
bool ParseKeyScript(std::istream& in, KeyScript* script, std::string* error);

// One line without its comment; false with `error` (no line number) when it is malformed.
// A line of only blanks gives true with `isEmpty` set.
bool ParseKeyScriptLine(std::string_view text, KeyScriptLine* line, bool* isEmpty,
                        std::string* error);

// The key of a name, or 0 for an unknown name.
KeySet KeyNamed(std::string_view name);
