#include "effects/effect_descriptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/num_to_str.h"

namespace gvde {

namespace {

enum class FormatterKind : std::uint8_t {
  NameColonRange,
  NameOnly,
  SpellCharges,
  PlusPercent,
  MinusPercent,
  PlusPercentTimesTen,
  MinusPercentTimesTen,
  HalfPercent,
  PlusValue,
  MinusValue,
  HitRecovery,
  AttackSpeed,
  DamageAndDurability,
};

constexpr std::size_t kEffectCodes = 94;

std::array<FormatterKind, kEffectCodes> EffectFormatters{};

void Assign(FormatterKind kind, std::initializer_list<std::uint8_t> codes) {
  for (std::uint8_t code : codes) EffectFormatters[code] = kind;
}

// 32-bit signed arithmetic that wraps instead of overflowing.
std::int32_t WrapMul(std::int32_t factor, std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(factor) * static_cast<std::uint32_t>(value));
}
std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t TimesTen(std::int32_t value) { return WrapMul(10, value); }
std::int32_t HalfBelow(std::int32_t value) { return WrapAdd(value, -1) / 2; }
std::int32_t DamageBonus(std::int32_t value) { return WrapAdd(WrapMul(2, value), 140); }

std::string HitRecoveryText(std::int32_t level) {
  switch (level) {
    case 1: return "Fast hit recovery";
    case 2: return "Faster hit recovery";
    case 3: return "Fastest hit recovery";
    default: return "Hit recovery: ERROR";
  }
}

std::string AttackSpeedText(std::int32_t level) {
  switch (level) {
    case 1: return "Quick attack speed";
    case 2: return "Fast attack speed";
    case 3: return "Faster attack speed";
    case 4: return "Fastest attack speed";
    default: return "Attack speed: ERROR";
  }
}

}  // namespace

void InitEffectFormatters() {
  EffectFormatters.fill(FormatterKind::NameColonRange);
  Assign(FormatterKind::NameOnly, {37, 41, 45, 46, 47, 52, 53, 54, 60, 62, 65, 68, 69,
                                   70, 72, 73, 74, 78, 84, 86, 87, 89, 90, 91, 92, 93});
  Assign(FormatterKind::SpellCharges, {66});
  Assign(FormatterKind::PlusPercent, {0, 2, 6, 8, 9, 10, 11, 35, 85});
  Assign(FormatterKind::MinusPercent, {1, 3, 7, 36, 80, 81, 82, 83});
  Assign(FormatterKind::PlusPercentTimesTen, {38});
  Assign(FormatterKind::MinusPercentTimesTen, {39});
  Assign(FormatterKind::HalfPercent, {55, 56});
  Assign(FormatterKind::PlusValue, {15, 19, 21, 23, 25, 27, 29, 31, 33, 61});
  Assign(FormatterKind::MinusValue, {20, 22, 24, 26, 28, 30, 32, 34, 79});
  Assign(FormatterKind::HitRecovery, {59});
  Assign(FormatterKind::AttackSpeed, {58, 67});
  Assign(FormatterKind::DamageAndDurability, {88});
}

std::string FormatRange(std::int32_t a, std::int32_t b) {
  std::string text = NumToStr(a);
  if (b != a) text += "..." + NumToStr(b);
  return text;
}

std::string DescribeEffect(const EffectEntry& entry, const EffectContext& context) {
  const std::int32_t p1 = entry.param1;
  const std::int32_t p2 = entry.param2;
  if (entry.code >= kEffectCodes) {
    return "Unknown effect " + NumToStr(entry.code) + ": " + FormatRange(p1, p2);
  }
  const std::string& name = context.effectNames[entry.code];
  switch (EffectFormatters[entry.code]) {
    case FormatterKind::NameColonRange: return name + ": " + FormatRange(p1, p2);
    case FormatterKind::NameOnly: return name;
    case FormatterKind::SpellCharges:
      return NumToStr(p2) + " charges of " + std::string(context.game.SpellName(static_cast<std::uint32_t>(p1)));
    case FormatterKind::PlusPercent: return "+" + FormatRange(p1, p2) + "% to " + name;
    case FormatterKind::MinusPercent: return "-" + FormatRange(p1, p2) + "% to " + name;
    case FormatterKind::PlusPercentTimesTen:
      return "+" + FormatRange(TimesTen(p1), TimesTen(p2)) + "% to " + name;
    case FormatterKind::MinusPercentTimesTen:
      return "-" + FormatRange(TimesTen(p1), TimesTen(p2)) + "% to " + name;
    case FormatterKind::HalfPercent: return FormatRange(HalfBelow(p1), HalfBelow(p2)) + "% " + name;
    case FormatterKind::PlusValue: return "+" + FormatRange(p1, p2) + " to " + name;
    case FormatterKind::MinusValue: return "-" + FormatRange(p1, p2) + " to " + name;
    case FormatterKind::HitRecovery: return HitRecoveryText(p1);
    case FormatterKind::AttackSpeed: return AttackSpeedText(p1);
    case FormatterKind::DamageAndDurability:
      return "+" + FormatRange(DamageBonus(p1), DamageBonus(p2)) + "% to Damage, -" + FormatRange(p1, p2) +
             "% to Durability";
  }
  return name;
}

}  // namespace gvde
