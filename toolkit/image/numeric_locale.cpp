#include "toolkit/image/numeric_locale.h"

#include <clocale>
#include <cstring>

#include "toolkit/common/allocation.h"

NumericLocaleSwitch::NumericLocaleSwitch() {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  if (current == nullptr || std::strcmp(current, "C") == 0) return;
  std::size_t length = std::strlen(current) + 1;
  savedName = static_cast<char*>(AllocateBytes(length));
  if (savedName == nullptr) return;
  std::memcpy(savedName, current, length);
  std::setlocale(LC_NUMERIC, "C");
}

NumericLocaleSwitch::~NumericLocaleSwitch() {
  if (savedName == nullptr) return;
  std::setlocale(LC_NUMERIC, savedName);
  FreeBytes(savedName);
}
