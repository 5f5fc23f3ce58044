// Answers kept by the text they were worked out for (not part of the program's interface).
// Programs draw the same strings frame after frame; itemisation, breaking and shaping of a text
// depend on nothing but the text, a few flags and (for shaping) the face, so their answers are
// kept and found again by a comparison of the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/win32/types.h"

namespace uniscribe {

// A text and the flags that change its answer.
struct AnswerKey {
  std::u16string_view text;
  std::uint32_t flags = 0;
};

// A few recent answers for texts of at most `Longest` units; the oldest is replaced when all are
// taken.
template <typename Answer, std::size_t Count, std::size_t Longest>
class RecentAnswers {
 public:
  const Answer* Find(const AnswerKey& key) const {
    for (const Entry& entry : entries_) {
      if (entry.used && entry.flags == key.flags && entry.text == key.text) return &entry.answer;
    }
    return nullptr;
  }
  // The slot for the answer of `key`, to be filled by the caller; null for a text too long to
  // keep.
  Answer* Keep(const AnswerKey& key) {
    if (key.text.size() > Longest) return nullptr;
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % Count;
    entry.used = true;
    entry.text.assign(key.text);
    entry.flags = key.flags;
    return &entry.answer;
  }

 private:
  struct Entry {
    bool used = false;
    std::u16string text;
    std::uint32_t flags = 0;
    Answer answer;
  };
  std::array<Entry, Count> entries_{};
  std::size_t next_ = 0;
};

// Many answers for texts of at most `Longest` units, as many as `Limit`; when full, all are
// forgotten and it fills again.
template <typename Answer, std::size_t Limit, std::size_t Longest>
class ManyAnswers {
 public:
  const Answer* Find(const AnswerKey& key) const {
    const auto found = answers_.find(key);
    return found != answers_.end() ? &found->second : nullptr;
  }
  // Null for a text too long to keep.
  Answer* Keep(const AnswerKey& key) {
    if (key.text.size() > Longest) return nullptr;
    if (answers_.size() >= Limit) answers_.clear();
    return &answers_[Stored{std::u16string(key.text), key.flags}];
  }
  void Clear() { answers_.clear(); }

 private:
  struct Stored {
    std::u16string text;
    std::uint32_t flags;
    bool operator==(const Stored&) const = default;
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(const AnswerKey& key) const {
      return std::hash<std::u16string_view>{}(key.text) ^
             (std::size_t{key.flags} * 0x9E3779B97F4A7C15u);
    }
    std::size_t operator()(const Stored& stored) const {
      return (*this)(AnswerKey{stored.text, stored.flags});
    }
  };
  struct Equal {
    using is_transparent = void;
    bool operator()(const Stored& a, const Stored& b) const { return a == b; }
    bool operator()(const AnswerKey& a, const Stored& b) const {
      return a.flags == b.flags && a.text == b.text;
    }
    bool operator()(const Stored& a, const AnswerKey& b) const { return (*this)(b, a); }
  };
  std::unordered_map<Stored, Answer, Hash, Equal> answers_;
};

}  // namespace uniscribe
