// The piece in the player's hand and the moves shown on the board. While a piece is dragged it
// floats with the pointer, its cell shows empty and the cell it would land on is framed; after a
// move the two pieces slide to their new cells, and a solved puzzle's grid is swept away. All of it
// is painted over the pictures, never into them: the bitmaps always hold the board as it is, so
// that a motion finished early only has to show them again, and nothing the player does ever
// waits for one.
#pragma once

#include "Framework/FloatingPicture.h"
#include "Framework/Form.h"
#include "Tilvane/Core/BoardGeometry.h"
#include "Tilvane/Core/PuzzleBoard.h"
#include "Tilvane/PuzzlePictures.h"

#include <memory>
#include <vector>

// Which picture a dragged piece is over, the cell there and whether it may land on it.
struct TDropAim {
    enum TPicture { None, Puzzle, Original } Picture = None;
    TCellPlace Cell;
    bool Accepted = false;
    bool operator==(const TDropAim& other) const {
        return Picture == other.Picture && Cell == other.Cell && Accepted == other.Accepted;
    }
};

// One piece on its way over the puzzle, drawn as it was where it started.
struct TSlidingPiece {
    PieceCell Drawn;
    TCellRect From, To;
};

class TPieceMotion {
public:
    TPieceMotion(TForm& window, TPuzzlePictures& pictures);
    ~TPieceMotion();
    TPieceMotion(const TPieceMotion&) = delete;
    TPieceMotion& operator=(const TPieceMotion&) = delete;

    // The player's choice; moves are also drawn at once while the system asks programs not to
    // animate (asked at each move, so that a change while the game runs holds from the next one).
    void SetAnimated(bool animated) { animated_ = animated; }
    bool Animated() const { return animated_; }

    // The piece in the hand: taken from its cell at the point of the puzzle where it was grabbed.
    void PickUp(const TBoardGeometry& geometry, TCellPlace cell, const PieceCell& drawn, POINT grabbed);
    // The pointer is at that screen point.
    void Carry(POINT screen);
    // The picture and cell under the carried piece's pointer; a frame shows where it would land.
    void Aim(const TDropAim& aim);
    bool Carrying() const { return carrying_; }
    // Where the carried piece stands over the puzzle, in the puzzle's pixels.
    TCellRect CarriedRect() const;
    // The piece leaves the hand: dropped, put back or taken away with its picture.
    void PutDown();

    // A swap shown: both pieces slide from where they were to their new cells.
    void Slide(const TBoardGeometry& geometry, const TSlidingPiece& first, const TSlidingPiece& second);
    // The grid lines of a solved puzzle, in their colour, are swept away from the top after any
    // slide.
    void Reveal(const TBoardGeometry& geometry, COLORREF lineColour);
    // Every slide and sweep ends now, the pictures showing the board as it is.
    void Finish();
    bool Moving() const { return !slides_.empty() || revealing_; }
    // Both: the pictures are about to be replaced.
    void Stop() {
        Finish();
        PutDown();
    }
    // The window's WM_TIMER; true when the timer was the motion's.
    bool HandleTimer(UINT_PTR id);

    // Painted by the pictures over their bitmaps.
    void PaintOverPuzzle(HDC dc);
    void PaintOverOriginal(HDC dc);

    // Length of a slide and of the sweep, in milliseconds.
    static constexpr double SlideMilliseconds = 130;
    static constexpr double RevealMilliseconds = 450;

private:
    bool ShouldAnimate(const TBoardGeometry& geometry) const;
    void RefreshAim(const TDropAim& aim);
    void RefreshPuzzle(const TCellRect& area);
    void ShowFrame();
    void EndFinishedMotions(double now);
    void StartTimer();
    void StopTimer();
    TCellRect SlidingRect(const TSlidingPiece& piece, double now) const;
    void PaintRevealLines(HDC dc);
    // Shows again what the sweep has not reached yet.
    void RefreshUnswept();

    TForm& window_;
    TPuzzlePictures& pictures_;
    bool animated_ = true;

    std::unique_ptr<TFloatingPicture> floating_;  // made at the first pick-up
    bool carrying_ = false;
    TBoardGeometry carriedGeometry_;
    TCellPlace carriedCell_;
    POINT grabOffset_ = {};  // from the piece's top left to the pointer
    POINT pointer_ = {};     // on the screen
    TDropAim aim_;

    TBoardGeometry slideGeometry_;
    std::vector<TSlidingPiece> slides_;
    std::vector<TCellRect> shownSlides_;  // where the pieces were painted last
    double slideStart_ = 0;
    bool revealing_ = false;
    double revealStart_ = 0;
    int sweptTo_ = 0;  // the grid is gone above this row of pixels
    TBoardGeometry revealGeometry_;
    COLORREF revealColour_ = 0;
    bool timerRunning_ = false;
};
