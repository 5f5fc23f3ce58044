#include "toolkit/surface/numeric_conversion.h"

namespace {

// One channel's rule.
enum class Rule { Copy, FromSigned, ToSigned, Clamp01, ClampSigned };

struct ClassRule {
  Rule colour;
  Rule alpha;
};

float Clamp(float x, float low, float high) {
  x = x > low ? x : low;  // NaN becomes `low`
  return x < high ? x : high;
}

float Apply(Rule rule, float x) {
  switch (rule) {
    case Rule::FromSigned:
      return (x + 1.0f) * 0.5f;
    case Rule::ToSigned:
      return 2.0f * x - 1.0f;
    case Rule::Clamp01:
      return Clamp(x, 0.0f, 1.0f);
    case Rule::ClampSigned:
      return Clamp(x, -1.0f, 1.0f);
    case Rule::Copy:
      break;
  }
  return x;
}

ClassRule RuleFor(NumericClass to, NumericClass from) {
  using C = NumericClass;
  if (to == C::Unorm) {
    if (from == C::SnormRGB) return {Rule::FromSigned, Rule::Copy};
    if (from == C::SnormAll) return {Rule::FromSigned, Rule::FromSigned};
    if (from == C::Float) return {Rule::Clamp01, Rule::Clamp01};
  } else if (to == C::SnormRGB) {
    if (from == C::Unorm) return {Rule::ToSigned, Rule::Copy};
    if (from == C::SnormAll) return {Rule::Copy, Rule::FromSigned};
    if (from == C::Float) return {Rule::ClampSigned, Rule::Clamp01};
  } else if (to == C::SnormAll) {
    if (from == C::Unorm) return {Rule::ToSigned, Rule::ToSigned};
    if (from == C::SnormRGB) return {Rule::Copy, Rule::ToSigned};
    if (from == C::Float) return {Rule::ClampSigned, Rule::ClampSigned};
  }
  return {Rule::Copy, Rule::Copy};
}

}  // namespace

void ConvertNumericClass(const FloatPixel* in, FloatPixel* out, UINT count, NumericClass to,
                         NumericClass from) {
  const ClassRule rule = RuleFor(to, from);
  for (UINT i = 0; i < count; ++i) {
    const FloatPixel p = in[i];
    out[i] = {Apply(rule.colour, p.r), Apply(rule.colour, p.g), Apply(rule.colour, p.b),
              Apply(rule.alpha, p.a)};
  }
}
