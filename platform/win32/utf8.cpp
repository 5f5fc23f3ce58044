#include "platform/win32/utf8.h"

namespace win32 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void PutUtf16(char32_t codePoint, UnitSink<WCHAR>& sink) {
  if (codePoint < 0x10000) {
    sink.Put(static_cast<WCHAR>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  sink.Put(static_cast<WCHAR>(0xD800 + (offset >> 10)));
  sink.Put(static_cast<WCHAR>(0xDC00 + (offset & 0x3FF)));
}

void PutUtf8(char32_t codePoint, UnitSink<char>& sink) {
  auto put = [&sink](char32_t byte) { sink.Put(static_cast<char>(byte)); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | (codePoint >> 6));
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | (codePoint >> 12));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | (codePoint >> 18));
    put(0x80 | ((codePoint >> 12) & 0x3F));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

// How a lead byte begins a sequence: how many continuation bytes follow, and the range the
// first of them must lie in (which excludes overlong forms, surrogates and values beyond
// U+10FFFF).
struct Lead {
  int continuations;
  char32_t bits;
  unsigned firstMin;
  unsigned firstMax;
};

bool ReadLead(unsigned byte, Lead* lead) {
  if (byte >= 0xC2 && byte <= 0xDF) {
    *lead = {1, byte & 0x1Fu, 0x80, 0xBF};
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    *lead = {2, byte & 0x0Fu, byte == 0xE0 ? 0xA0u : 0x80u, byte == 0xED ? 0x9Fu : 0xBFu};
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    *lead = {3, byte & 0x07u, byte == 0xF0 ? 0x90u : 0x80u, byte == 0xF4 ? 0x8Fu : 0xBFu};
  } else {
    return false;
  }
  return true;
}

// Decodes the sequence at source[*index], moving *index past it (or past its valid
// beginning when it is malformed). False for a malformed sequence.
bool DecodeSequence(const unsigned char* source, int length, int* index, char32_t* codePoint) {
  const unsigned char first = source[(*index)++];
  if (first < 0x80) {
    *codePoint = first;
    return true;
  }
  Lead lead;
  if (!ReadLead(first, &lead)) return false;
  char32_t value = lead.bits;
  unsigned min = lead.firstMin;
  unsigned max = lead.firstMax;
  for (int k = 0; k < lead.continuations; ++k) {
    if (*index >= length) return false;
    const unsigned next = source[*index];
    if (next < min || next > max) return false;
    value = (value << 6) | (next & 0x3F);
    ++*index;
    min = 0x80;
    max = 0xBF;
  }
  *codePoint = value;
  return true;
}

}  // namespace

bool Utf8ToUtf16(const unsigned char* source, int length, bool strict, UnitSink<WCHAR>& sink) {
  int index = 0;
  while (index < length) {
    char32_t codePoint = 0;
    if (!DecodeSequence(source, length, &index, &codePoint)) {
      if (strict) return false;
      codePoint = kReplacement;
    }
    PutUtf16(codePoint, sink);
  }
  return true;
}

bool Utf16ToUtf8(const WCHAR* source, int length, bool strict, UnitSink<char>& sink) {
  for (int index = 0; index < length; ++index) {
    const WCHAR unit = source[index];
    char32_t codePoint = unit;
    if (IsHighSurrogate(unit) && index + 1 < length && IsLowSurrogate(source[index + 1])) {
      codePoint = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                  (static_cast<char32_t>(source[index + 1]) - 0xDC00);
      ++index;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      if (strict) return false;
      codePoint = kReplacement;
    }
    PutUtf8(codePoint, sink);
  }
  return true;
}

}  // namespace win32
