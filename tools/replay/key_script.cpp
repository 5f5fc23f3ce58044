#include "tools/replay/key_script.h"

#include <charconv>

namespace {

struct NamedKey {
  std::string_view name;
  KeySet key;
};
constexpr NamedKey kKeyNames[] = {
    {"Left", kKeyLeft},   {"Right", kKeyRight}, {"Up", kKeyUp},
    {"Down", kKeyDown},   {"Space", kKeySpace}, {"Enter", kKeyEnter},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Splits on blanks and tabs.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A frame number: decimal digits only, no sign, within int64.
bool ParseFrame(std::string_view word, int64_t* frame) {
  if (word.empty() || word.front() < '0' || word.front() > '9') return false;
  const char* end = word.data() + word.size();
  const auto [stop, failure] = std::from_chars(word.data(), end, *frame);
  return failure == std::errc() && stop == end;
}

}  // namespace

KeySet KeyNamed(std::string_view name) {
  for (const NamedKey& named : kKeyNames) {
    if (named.name == name) return named.key;
  }
  return 0;
}

KeySet KeyScript::KeysAt(int64_t frame) const {
  KeySet keys = 0;
  for (const KeyScriptLine& line : lines_) {
    if (frame >= line.first && frame <= line.last) keys |= line.keys;
  }
  return keys;
}

bool ParseKeyScriptLine(std::string_view text, KeyScriptLine* line, bool* isEmpty,
                        std::string* error) {
  const std::vector<std::string_view> words = Words(text.substr(0, text.find('#')));
  *isEmpty = words.empty();
  if (words.empty()) return true;
  if (words.size() < 3) {
    *error = "expected FIRST LAST KEY...";
    return false;
  }
  KeyScriptLine parsed{0, 0, 0};
  if (!ParseFrame(words[0], &parsed.first) || !ParseFrame(words[1], &parsed.last)) {
    *error = "FIRST and LAST must be frame numbers (0 or more)";
    return false;
  }
  if (parsed.last < parsed.first) {
    *error = "LAST comes before FIRST";
    return false;
  }
  for (size_t k = 2; k < words.size(); ++k) {
    const KeySet key = KeyNamed(words[k]);
    if (key == 0) {
      *error = "unknown key '" + std::string(words[k]) +
               "' (keys: Left Right Up Down Space Enter)";
      return false;
    }
    parsed.keys |= key;
  }
  *line = parsed;
  return true;
}

bool ParseKeyScript(std::istream& in, KeyScript* script, std::string* error) {
  std::string text;
  for (int64_t number = 1; std::getline(in, text); ++number) {
    KeyScriptLine line{};
    bool isEmpty = false;
    std::string problem;
    if (!ParseKeyScriptLine(text, &line, &isEmpty, &problem)) {
      *error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
    if (!isEmpty) script->Add(line);
  }
  return true;
}
