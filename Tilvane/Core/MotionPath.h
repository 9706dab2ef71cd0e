// Where a moving piece stands while it slides, and how far a fade has gone: the arithmetic of
// the board's animations, apart from the clock and the drawing.
#pragma once

#include "Tilvane/Core/BoardGeometry.h"

// The share of a motion of `duration` milliseconds done after `elapsed`: 0 before it starts, 1
// from its end on, eased in between so that it starts and ends gently. A motion of no length
// is done at once.
double EasedProgress(double elapsed, double duration);

// The rectangle that share of the way from one to the other, rounded to whole pixels; the size
// is the start's, so that a piece keeps its size on the way.
TCellRect RectBetween(const TCellRect& from, const TCellRect& to, double progress);
