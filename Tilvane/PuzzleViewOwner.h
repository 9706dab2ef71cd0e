// What the puzzle view tells, and asks, the game it shows: the one way up from the view.
#pragma once

#include <string>

class TPuzzleViewOwner {
public:
    virtual ~TPuzzleViewOwner() = default;
    // Before a move or a mirror changes the board.
    virtual void MoveStarting() = 0;
    // The moves and the misplaced pieces counted anew.
    virtual void MovesChanged() = 0;
    virtual void WrongMoveMade() = 0;
    // "Column 3. Row 2." for the cell under the pointer or the keyboard's frame, or empty.
    virtual void ShowPosition(const std::string& text) = 0;
    // Asked each time an outline is drawn.
    virtual bool LightGrid() const = 0;
    // Asked by the mirror keys.
    virtual bool MirroringAllowed() const = 0;
};
