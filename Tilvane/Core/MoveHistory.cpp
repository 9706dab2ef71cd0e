#include "Tilvane/Core/MoveHistory.h"

namespace {

bool MoveLast(std::vector<TBoardStep>& from, std::vector<TBoardStep>& to, TBoardStep& step) {
    if (from.empty()) return false;
    step = from.back();
    from.pop_back();
    to.push_back(step);
    return true;
}

}  // namespace

void TMoveHistory::Clear() {
    done_.clear();
    undone_.clear();
}

void TMoveHistory::Record(const TBoardStep& step) {
    done_.push_back(step);
    undone_.clear();
}

bool TMoveHistory::TakeBack(TBoardStep& step) { return MoveLast(done_, undone_, step); }

bool TMoveHistory::MakeAgain(TBoardStep& step) { return MoveLast(undone_, done_, step); }
