// MultiByteToWideChar and WideCharToMultiByte: argument rules, then the code page's converter.
#include "platform/win32/codepage.h"

#include <climits>
#include <cstring>

#include "platform/win32/unit_sink.h"
#include "platform/win32/utf8.h"
#include "platform/win32/windows1252.h"

namespace {

constexpr UINT kWindows1252 = 1252;

bool IsAnsi(UINT codePage) { return codePage == CP_ACP || codePage == kWindows1252; }

bool IsSupported(UINT codePage) { return IsAnsi(codePage) || codePage == CP_UTF8; }

template <typename Source, typename Destination>
bool AreValidBuffers(const Source* source, int sourceLength, const Destination* destination,
                     int destinationSize) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1) return false;
  return destinationSize == 0 || (destinationSize > 0 && destination != nullptr);
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// A length of -1 takes the terminator in.
int LengthOf(const char* source, int sourceLength) {
  if (sourceLength != -1) return sourceLength;
  const std::size_t length = std::strlen(source) + 1;
  return length > INT_MAX ? -1 : static_cast<int>(length);
}

int LengthOf(const WCHAR* source, int sourceLength) {
  if (sourceLength != -1) return sourceLength;
  std::size_t length = 0;
  while (source[length] != 0) ++length;
  return length + 1 > INT_MAX ? -1 : static_cast<int>(length + 1);
}

template <typename Unit>
int Finish(const win32::UnitSink<Unit>& sink) {
  if (sink.Count() > INT_MAX) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (sink.Capacity() != 0 && sink.Count() > sink.Capacity()) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  return static_cast<int>(sink.Count());
}

void Windows1252ToUtf16(const unsigned char* source, int length, win32::UnitSink<WCHAR>& sink) {
  for (int i = 0; i < length; ++i) sink.Put(win32::Windows1252ToUnit(source[i]));
}

bool IsSurrogatePair(const WCHAR* source, int length, int index) {
  return index + 1 < length && source[index] >= 0xD800 && source[index] <= 0xDBFF &&
         source[index + 1] >= 0xDC00 && source[index + 1] <= 0xDFFF;
}

// A surrogate pair is one character, so it becomes one default character.
bool Utf16ToWindows1252(const WCHAR* source, int length, char defaultChar,
                        win32::UnitSink<char>& sink) {
  bool usedDefault = false;
  for (int i = 0; i < length; ++i) {
    unsigned char byte = 0;
    if (win32::UnitToWindows1252(source[i], &byte)) {
      sink.Put(static_cast<char>(byte));
      continue;
    }
    if (IsSurrogatePair(source, length, i)) ++i;
    sink.Put(defaultChar);
    usedDefault = true;
  }
  return usedDefault;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR destination, int destinationSize) {
  if (!AreValidBuffers(source, sourceLength, destination, destinationSize) ||
      !IsSupported(codePage)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const DWORD allowed =
      IsAnsi(codePage) ? MB_PRECOMPOSED | MB_ERR_INVALID_CHARS : MB_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);
  const int length = LengthOf(source, sourceLength);
  if (length < 0) return Fail(ERROR_INVALID_PARAMETER);

  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  win32::UnitSink<WCHAR> sink(destination, destinationSize);
  if (IsAnsi(codePage)) {
    Windows1252ToUtf16(bytes, length, sink);
  } else if (!win32::Utf8ToUtf16(bytes, length, (flags & MB_ERR_INVALID_CHARS) != 0, sink)) {
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  return Finish(sink);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR destination, int destinationSize, LPCSTR defaultChar,
                        LPBOOL usedDefaultChar) {
  if (!AreValidBuffers(source, sourceLength, destination, destinationSize) ||
      !IsSupported(codePage)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const bool ansi = IsAnsi(codePage);
  if (!ansi && (defaultChar != nullptr || usedDefaultChar != nullptr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const DWORD allowed = ansi ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);
  const int length = LengthOf(source, sourceLength);
  if (length < 0) return Fail(ERROR_INVALID_PARAMETER);

  win32::UnitSink<char> sink(destination, destinationSize);
  if (ansi) {
    const bool used =
        Utf16ToWindows1252(source, length, defaultChar != nullptr ? *defaultChar : '?', sink);
    if (usedDefaultChar != nullptr) *usedDefaultChar = used ? TRUE : FALSE;
  } else if (!win32::Utf16ToUtf8(source, length, (flags & WC_ERR_INVALID_CHARS) != 0, sink)) {
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  return Finish(sink);
}
