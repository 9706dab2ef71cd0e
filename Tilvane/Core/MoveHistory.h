// The moves of one game since its last shuffle or load, so that the player can take them back
// and make them again. Every step is its own inverse: a swap undoes a swap, and flipping the same
// way again undoes a flip; so taking back and making again apply the same step.
#pragma once

#include <cstdint>
#include <vector>

struct TBoardStep {
    enum TKind : uint8_t { Swap, FlipHorizontal, FlipVertical };
    TKind Kind = Swap;
    int32_t Column1 = 0, Row1 = 0;
    int32_t Column2 = 0, Row2 = 0;  // a swap's other cell; a flip has only the first
};

class TMoveHistory {
public:
    void Clear();
    // A move made by the player: what was taken back can no longer be made again.
    void Record(const TBoardStep& step);
    bool CanTakeBack() const { return !done_.empty(); }
    bool CanMakeAgain() const { return !undone_.empty(); }
    // The last step made, now waiting to be made again; false when there is none.
    bool TakeBack(TBoardStep& step);
    // The last step taken back, made once more; false when there is none.
    bool MakeAgain(TBoardStep& step);

private:
    std::vector<TBoardStep> done_;
    std::vector<TBoardStep> undone_;
};
