// Script properties and digit substitution.
#include "platform/uniscribe/script_ids.h"
#include "platform/uniscribe/uniscribe.h"

namespace {

constexpr WORD kEnglish = 0x09;

// The primary language of a locale; the default locales read as English.
WORD PrimaryLanguage(LCID locale) {
  if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT ||
      locale == LOCALE_NEUTRAL) {
    return kEnglish;
  }
  return static_cast<WORD>(locale & 0x3FF);
}

}  // namespace

HRESULT ScriptGetProperties(const SCRIPT_PROPERTIES*** table, int* count) {
  if (table == nullptr && count == nullptr) return E_INVALIDARG;
  if (table != nullptr) *table = uniscribe::ScriptPropertyTable();
  if (count != nullptr) *count = uniscribe::ScriptIdCount();
  return S_OK;
}

HRESULT ScriptRecordDigitSubstitution(LCID locale, SCRIPT_DIGITSUBSTITUTE* substitute) {
  // A locale id holds a language (16 bits) and a sort order (4 bits) only.
  if (substitute == nullptr || (locale >> 20) != 0) return E_INVALIDARG;
  const WORD language = PrimaryLanguage(locale);
  if (language == 0) return E_INVALIDARG;
  *substitute = SCRIPT_DIGITSUBSTITUTE{};
  substitute->NationalDigitLanguage = language;
  substitute->TraditionalDigitLanguage = language;
  substitute->DigitSubstitute = SCRIPT_DIGITSUBSTITUTE_NONE;
  return S_OK;
}

HRESULT ScriptApplyDigitSubstitution(const SCRIPT_DIGITSUBSTITUTE* substitute,
                                     SCRIPT_CONTROL* control, SCRIPT_STATE* state) {
  if (control == nullptr || state == nullptr) return E_INVALIDARG;
  SCRIPT_DIGITSUBSTITUTE recorded{};
  if (substitute == nullptr) {
    ScriptRecordDigitSubstitution(LOCALE_USER_DEFAULT, &recorded);
    substitute = &recorded;
  }
  switch (substitute->DigitSubstitute) {
    case SCRIPT_DIGITSUBSTITUTE_CONTEXT:
      state->fDigitSubstitute = 1;
      control->fContextDigits = 1;
      control->uDefaultLanguage = substitute->NationalDigitLanguage;
      return S_OK;
    case SCRIPT_DIGITSUBSTITUTE_NONE:
      state->fDigitSubstitute = 0;
      control->fContextDigits = 0;
      control->uDefaultLanguage = substitute->NationalDigitLanguage;
      return S_OK;
    case SCRIPT_DIGITSUBSTITUTE_NATIONAL:
      state->fDigitSubstitute = 1;
      control->fContextDigits = 0;
      control->uDefaultLanguage = substitute->NationalDigitLanguage;
      return S_OK;
    case SCRIPT_DIGITSUBSTITUTE_TRADITIONAL:
      state->fDigitSubstitute = 1;
      control->fContextDigits = 0;
      control->uDefaultLanguage = substitute->TraditionalDigitLanguage;
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}
