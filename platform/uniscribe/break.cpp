// ScriptBreak over ICU's boundaries: grapheme clusters, words and line-break opportunities.
#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/uniscribe/recent_answers.h"
#include "platform/uniscribe/uniscribe.h"

namespace {

struct IteratorDeleter {
  void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
using Iterator = std::unique_ptr<UBreakIterator, IteratorDeleter>;

enum Kind { kClusters, kWords, kLines, kKinds };

// One iterator of each kind per thread, opened once: text is broken again on every frame.
UBreakIterator* IteratorOf(Kind kind) {
  thread_local std::array<Iterator, kKinds> iterators;
  Iterator& iterator = iterators[kind];
  if (!iterator) {
    constexpr UBreakIteratorType types[kKinds] = {UBRK_CHARACTER, UBRK_WORD, UBRK_LINE};
    UErrorCode status = U_ZERO_ERROR;
    iterator.reset(ubrk_open(types[kind], "", nullptr, 0, &status));
    if (U_FAILURE(status)) iterator.reset();
  }
  return iterator.get();
}

// Calls `mark`(position) for every boundary strictly inside the text and at its start.
template <typename Mark>
bool ForEachBoundary(Kind kind, const WCHAR* text, int length, Mark mark) {
  UBreakIterator* iterator = IteratorOf(kind);
  if (iterator == nullptr) return false;
  UErrorCode status = U_ZERO_ERROR;
  ubrk_setText(iterator, text, length, &status);
  if (U_FAILURE(status)) return false;
  for (int32_t at = ubrk_first(iterator); at != UBRK_DONE && at < length;
       at = ubrk_next(iterator)) {
    mark(at);
  }
  // The iterator must not keep the caller's text.
  ubrk_setText(iterator, u"", 0, &status);
  return true;
}

bool IsControl(WCHAR c) { return c < 0x20 || c == 0x7F; }

bool IsWhiteSpace(WCHAR c) { return u_isUWhiteSpace(c) != 0; }

}  // namespace

HRESULT ScriptBreak(const WCHAR* text, int length, const SCRIPT_ANALYSIS* analysis,
                    SCRIPT_LOGATTR* attributes) {
  if (text == nullptr || length <= 0 || analysis == nullptr || attributes == nullptr) {
    return E_INVALIDARG;
  }
  thread_local uniscribe::RecentAnswers<std::vector<SCRIPT_LOGATTR>, 16, 1024> recent;
  const uniscribe::AnswerKey key{std::u16string_view(text, std::size_t(length))};
  if (const std::vector<SCRIPT_LOGATTR>* known = recent.Find(key)) {
    std::copy(known->begin(), known->end(), attributes);
    return S_OK;
  }
  thread_local std::vector<SCRIPT_LOGATTR> found;
  found.assign(static_cast<std::size_t>(length), SCRIPT_LOGATTR{});
  for (int i = 0; i < length; ++i) {
    found[i].fWhiteSpace = IsWhiteSpace(text[i]);
    // Tabs and line breaks are words of their own, and so is what follows them.
    found[i].fWordStop = IsControl(text[i]) || (i > 0 && IsControl(text[i - 1]));
  }
  const bool broken =
      ForEachBoundary(kClusters, text, length, [&](int at) { found[at].fCharStop = 1; }) &&
      ForEachBoundary(kWords, text, length,
                      [&](int at) {
                        // White space stays with the word before it.
                        if (!IsWhiteSpace(text[at])) found[at].fWordStop = 1;
                      }) &&
      ForEachBoundary(kLines, text, length, [&](int at) {
        if (at > 0) found[at].fSoftBreak = 1;
      });
  if (!broken) return E_OUTOFMEMORY;
  if (std::vector<SCRIPT_LOGATTR>* kept = recent.Keep(key)) *kept = found;
  std::copy(found.begin(), found.end(), attributes);
  return S_OK;
}
