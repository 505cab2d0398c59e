#pragma once

#include <QString>

#include <cstdint>

namespace moravel {

// The planned action of an item and the action of a rule, stored in one byte.
using ActionKind = std::uint8_t;

namespace actions {
inline constexpr ActionKind Leave = 0;
inline constexpr ActionKind Archive = 1;
inline constexpr ActionKind MoveToFolder = 2;
inline constexpr ActionKind Recycle = 3;
inline constexpr ActionKind Delete = 4;
inline constexpr ActionKind Ask = 5;
// A rule whose action the user has not chosen yet; also what a broken configuration gives.
inline constexpr ActionKind NotChosen = 255;
} // namespace actions

using ConditionKind = std::uint8_t;

namespace conditions {
inline constexpr ConditionKind NameMask = 0;
inline constexpr ConditionKind SizeAbove = 1;
inline constexpr ConditionKind ModifiedBefore = 2;
inline constexpr ConditionKind AccessedBefore = 3;
inline constexpr ConditionKind IsFolder = 4;
inline constexpr ConditionKind Broken = 255;
} // namespace conditions

enum class DesktopKind : std::uint8_t { User = 0, Public = 1 };

// Display text of an action; only the low seven bits count. Returns false (and leaves `text`
// as it was) when they do not name one of the six actions.
bool actionName(int value, QString& text);
// Convenience form: the display text, or an empty text for a value without one.
QString actionName(int value);

// True when `value` is one of the six actions 0..5.
constexpr bool isKnownAction(int value) {
    return value >= actions::Leave && value <= actions::Ask;
}

} // namespace moravel
