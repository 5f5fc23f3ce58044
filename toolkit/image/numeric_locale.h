// NumericLocaleSwitch: runs the decoders under the "C" numeric locale, whatever the caller's.
//
// Text headers (PPM, PFM, Radiance) hold numbers with a full stop as decimal mark; the
// caller's LC_NUMERIC is saved on construction and put back on destruction. This changes
// process-wide C-library state for the switch's lifetime.
#pragma once

class NumericLocaleSwitch {
 public:
  NumericLocaleSwitch();
  ~NumericLocaleSwitch();
  NumericLocaleSwitch(const NumericLocaleSwitch&) = delete;
  NumericLocaleSwitch& operator=(const NumericLocaleSwitch&) = delete;

 private:
  // The caller's locale name while switched; null when already "C" or when no copy could be
  // made (then the locale is left alone, since it could not be put back).
  char* savedName = nullptr;
};
