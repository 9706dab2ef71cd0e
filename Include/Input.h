// Modifier sets of pointer events: one bit per key or button held.
#pragma once

#include <cstdint>

using TShiftState = uint8_t;

enum TShiftElement : int {
    ssShift = 0,
    ssAlt = 1,
    ssCtrl = 2,
    ssLeft = 3,
    ssRight = 4,
    ssMiddle = 5,
    ssDouble = 6,
};

// The set holding only the element; empty for an element outside 0..6.
constexpr TShiftState ShiftSetOf(int element) {
    return (element >= 0 && element <= 6) ? static_cast<TShiftState>(1u << element) : TShiftState(0);
}
constexpr bool ShiftEquals(TShiftState state, int element) { return state == ShiftSetOf(element); }
constexpr bool ShiftEquals2(TShiftState state, int element1, int element2) {
    return state == (ShiftSetOf(element1) | ShiftSetOf(element2));
}
constexpr bool ShiftIsEmpty(TShiftState state) { return state == 0; }
