// Answers kept by the text they were worked out for (not part of the program's interface).
// Programs draw the same strings frame after frame; itemisation, breaking and shaping of a text
// depend on nothing but the text, a few flags and (for shaping) the face, so their answers are
// kept and found again by a comparison of the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/win32/cache_usage.h"
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

// Many answers for texts of at most `Longest` units, within a budget of bytes: each answer
// counts its text and what `Measure` says it holds. When a new one would pass the budget, the
// least recently used go first.
template <typename Answer, std::size_t Longest, typename Measure>
class ManyAnswers {
 public:
  // The answer of `key`, made the most recently used; null when it is not kept.
  const Answer* Find(const AnswerKey& key) {
    const auto found = index.find(key);
    if (found == index.end()) return nullptr;
    order.splice(order.begin(), order, found->second);
    return &found->second->answer;
  }
  // Keeps a copy of `answer` for `key` within `budget`; null for a text too long to keep or an
  // answer larger than the whole budget.
  const Answer* Keep(const AnswerKey& key, const Answer& answer, std::size_t budget,
                     CacheUsage& usage) {
    if (key.text.size() > Longest) return nullptr;
    if (const Answer* kept = Find(key)) return kept;
    const std::size_t bytes =
        sizeof(Stored) + key.text.size() * sizeof(char16_t) + Measure{}(answer);
    if (bytes > budget) return nullptr;
    while (held + bytes > budget) Forget(std::prev(order.end()), usage, true);
    order.push_front(Stored{std::u16string(key.text), key.flags, answer, bytes});
    const Stored& stored = order.front();
    index.emplace(AnswerKey{stored.text, stored.flags}, order.begin());
    held += bytes;
    usage.bytes += bytes;
    ++usage.entries;
    return &stored.answer;
  }
  void Clear(CacheUsage& usage) {
    while (!order.empty()) Forget(std::prev(order.end()), usage, false);
  }

 private:
  struct Stored {
    std::u16string text;
    std::uint32_t flags;
    Answer answer;
    std::size_t bytes;
  };
  using Position = typename std::list<Stored>::iterator;
  struct Hash {
    std::size_t operator()(const AnswerKey& key) const {
      return std::hash<std::u16string_view>{}(key.text) ^
             (std::size_t{key.flags} * 0x9E3779B97F4A7C15u);
    }
  };
  struct Equal {
    bool operator()(const AnswerKey& a, const AnswerKey& b) const {
      return a.flags == b.flags && a.text == b.text;
    }
  };

  void Forget(Position position, CacheUsage& usage, bool evicted) {
    index.erase(AnswerKey{position->text, position->flags});
    held -= position->bytes;
    usage.bytes -= position->bytes;
    --usage.entries;
    if (evicted) ++usage.evictions;
    order.erase(position);
  }

  std::list<Stored> order;  // most recently used first
  // Keys view the texts held in `order`, whose nodes never move.
  std::unordered_map<AnswerKey, Position, Hash, Equal> index;
  std::size_t held = 0;
};

}  // namespace uniscribe
