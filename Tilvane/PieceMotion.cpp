#include "Tilvane/PieceMotion.h"

#include "Tilvane/Core/MotionPath.h"
#include "Tilvane/PiecePainting.h"
#include "Tilvane/TilvaneIds.h"

#include <algorithm>

namespace {

// Often enough for a smooth slide at 60 frames a second and more; each frame is placed by the
// clock, so a late one only skips ahead.
const UINT FramePeriod = 10;

// The colour of a cell whose piece is away: the system's colour for an empty work space.
COLORREF EmptyCellColour() { return GetSysColor(COLOR_APPWORKSPACE); }

const COLORREF FloatingEdgeColour = RGB(64, 64, 64);
const COLORREF AimOuterColour = RGB(0, 0, 0);
const COLORREF AimBandColour = RGB(255, 255, 255);

double NowMilliseconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A white band between two black lines, as wide as the DPI asks but never more than a quarter
// of the cell: it shows on any picture, dark or light.
void PaintAimFrame(HDC dc, RECT cell, int band) {
    band = std::max(1, std::min(band, static_cast<int>(std::min(cell.right - cell.left, cell.bottom - cell.top) / 4)));
    FrameRing(dc, cell, AimOuterColour);
    for (int i = 1; i <= band; ++i) FrameRing(dc, Inset(cell, i), AimBandColour);
    FrameRing(dc, Inset(cell, band + 1), AimOuterColour);
}

}  // namespace

TPieceMotion::TPieceMotion(TForm& window, TPuzzlePictures& pictures) : window_(window), pictures_(pictures) {}

TPieceMotion::~TPieceMotion() { StopTimer(); }

// The player's choice and Windows' own setting, asked at every move so that a change while the
// game runs holds from the next one; a board without cells has nothing to move.
bool TPieceMotion::ShouldAnimate(const TBoardGeometry& geometry) const {
    BOOL allowed = TRUE;
    // A system that does not know the setting animates, as Windows does by default.
    if (!SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &allowed, 0)) allowed = TRUE;
    return animated_ && allowed && geometry.HasCells();
}

void TPieceMotion::PickUp(const TBoardGeometry& geometry, TCellPlace cell, const PieceCell& drawn, POINT grabbed) {
    PutDown();
    TImage* backup = pictures_.Backup();
    TImage* puzzle = pictures_.Puzzle();
    if (!backup || !puzzle || !geometry.HasCells()) return;
    const TPieceSize piece = geometry.Piece();
    std::unique_ptr<TBitmapCanvas> picture = TBitmapCanvas::Create(piece.Width, piece.Height);
    // Without memory for it the drag goes on as before, with the pointer alone.
    if (!picture) return;
    CopyPiece(picture->Canvas(), TCellRect{0, 0, piece.Width, piece.Height}, backup->Canvas(), geometry, drawn);
    FrameRing(picture->Canvas(), RECT{0, 0, piece.Width, piece.Height}, FloatingEdgeColour);
    const TCellRect home = geometry.PuzzleCell(cell);
    carriedGeometry_ = geometry;
    carriedCell_ = cell;
    grabOffset_ = POINT{grabbed.x - home.Left, grabbed.y - home.Top};
    pointer_ = grabbed;
    ClientToScreen(puzzle->Handle(), &pointer_);
    if (!floating_) floating_ = std::make_unique<TFloatingPicture>(window_.Handle());
    floating_->Show(std::move(picture), POINT{pointer_.x - grabOffset_.x, pointer_.y - grabOffset_.y});
    carrying_ = true;
    aim_ = TDropAim{};
    RefreshPuzzle(home);
}

void TPieceMotion::Carry(POINT screen) {
    if (!carrying_) return;
    pointer_ = screen;
    floating_->MoveTo(POINT{screen.x - grabOffset_.x, screen.y - grabOffset_.y});
}

void TPieceMotion::Aim(const TDropAim& aim) {
    if (!carrying_ || aim == aim_) return;
    const TDropAim old = aim_;
    aim_ = aim;
    RefreshAim(old);
    RefreshAim(aim_);
}

TCellRect TPieceMotion::CarriedRect() const {
    POINT topLeft = {pointer_.x - grabOffset_.x, pointer_.y - grabOffset_.y};
    if (TImage* puzzle = pictures_.Puzzle()) ScreenToClient(puzzle->Handle(), &topLeft);
    return carriedGeometry_.PieceAt(topLeft.x, topLeft.y);
}

void TPieceMotion::PutDown() {
    if (!carrying_) return;
    carrying_ = false;
    floating_->Hide();
    RefreshPuzzle(carriedGeometry_.PuzzleCell(carriedCell_));
    RefreshAim(aim_);
    aim_ = TDropAim{};
}

void TPieceMotion::RefreshAim(const TDropAim& aim) {
    if (aim.Picture == TDropAim::Puzzle) RefreshPuzzle(carriedGeometry_.PuzzleCell(aim.Cell));
    TImage* original = pictures_.Original();
    if (aim.Picture == TDropAim::Original && original)
        original->RefreshArea(ToRect(carriedGeometry_.OriginalCell(aim.Cell)));
}

void TPieceMotion::RefreshPuzzle(const TCellRect& area) {
    if (TImage* puzzle = pictures_.Puzzle()) puzzle->RefreshArea(ToRect(area));
}

void TPieceMotion::Slide(const TBoardGeometry& geometry, const TSlidingPiece& first, const TSlidingPiece& second) {
    Finish();
    if (!ShouldAnimate(geometry)) return;
    slideGeometry_ = geometry;
    slides_ = {first, second};
    shownSlides_ = {first.From, second.From};
    slideStart_ = NowMilliseconds();
    for (const TSlidingPiece& piece : slides_) {
        RefreshPuzzle(piece.From);
        RefreshPuzzle(piece.To);
    }
    StartTimer();
}

void TPieceMotion::Reveal(const TBoardGeometry& geometry, COLORREF lineColour) {
    if (!ShouldAnimate(geometry)) return;
    revealing_ = true;
    revealGeometry_ = geometry;
    revealColour_ = lineColour;
    revealStart_ = slides_.empty() ? NowMilliseconds() : slideStart_ + SlideMilliseconds;
    sweptTo_ = 0;
    StartTimer();
}

void TPieceMotion::Finish() {
    if (!Moving()) return;
    for (const TCellRect& shown : shownSlides_) RefreshPuzzle(shown);
    for (const TSlidingPiece& piece : slides_) RefreshPuzzle(piece.To);
    slides_.clear();
    shownSlides_.clear();
    if (revealing_) {
        RefreshUnswept();
        revealing_ = false;
    }
    StopTimer();
}

bool TPieceMotion::HandleTimer(UINT_PTR id) {
    if (id != tmPieceMotion) return false;
    ShowFrame();
    return true;
}

// Only what moved is shown again: where each piece was and where it is now, or the grid when
// the sweep has cleared another band.
void TPieceMotion::ShowFrame() {
    const double now = NowMilliseconds();
    for (size_t i = 0; i < slides_.size(); ++i) {
        const TCellRect at = SlidingRect(slides_[i], now);
        if (at == shownSlides_[i]) continue;
        RefreshPuzzle(shownSlides_[i]);
        RefreshPuzzle(at);
        shownSlides_[i] = at;
    }
    if (revealing_) {
        const TPieceSize piece = revealGeometry_.Piece();
        const int height = revealGeometry_.Rows() * piece.Height;
        const int sweptTo = static_cast<int>(height * EasedProgress(now - revealStart_, RevealMilliseconds));
        if (sweptTo > sweptTo_) {
            RefreshPuzzle(TCellRect{0, sweptTo_, revealGeometry_.Columns() * piece.Width, sweptTo});
            sweptTo_ = sweptTo;
        }
    }
    EndFinishedMotions(now);
}

void TPieceMotion::EndFinishedMotions(double now) {
    if (!slides_.empty() && now - slideStart_ >= SlideMilliseconds) {
        for (const TSlidingPiece& piece : slides_) RefreshPuzzle(piece.To);
        slides_.clear();
        shownSlides_.clear();
    }
    if (revealing_ && now - revealStart_ >= RevealMilliseconds) {
        RefreshUnswept();
        revealing_ = false;
    }
    if (!Moving()) StopTimer();
}

void TPieceMotion::StartTimer() {
    if (timerRunning_) return;
    timerRunning_ = SetTimer(window_.Handle(), tmPieceMotion, FramePeriod, nullptr) != 0;
    // Without a timer the move shows at once.
    if (!timerRunning_) Finish();
}

void TPieceMotion::StopTimer() {
    if (!timerRunning_) return;
    KillTimer(window_.Handle(), tmPieceMotion);
    timerRunning_ = false;
}

TCellRect TPieceMotion::SlidingRect(const TSlidingPiece& piece, double now) const {
    return RectBetween(piece.From, piece.To, EasedProgress(now - slideStart_, SlideMilliseconds));
}

void TPieceMotion::PaintOverPuzzle(HDC dc) {
    if (carrying_) {
        FillCell(dc, ToRect(carriedGeometry_.PuzzleCell(carriedCell_)), EmptyCellColour());
        if (aim_.Picture == TDropAim::Puzzle && aim_.Accepted)
            PaintAimFrame(dc, ToRect(carriedGeometry_.PuzzleCell(aim_.Cell)), window_.Scaled(2));
    }
    if (revealing_) PaintRevealLines(dc);
    TImage* backup = pictures_.Backup();
    if (slides_.empty() || !backup) return;
    for (const TSlidingPiece& piece : slides_) FillCell(dc, ToRect(piece.To), EmptyCellColour());
    for (size_t i = 0; i < slides_.size(); ++i) CopyPiece(dc, shownSlides_[i], backup->Canvas(), slideGeometry_, slides_[i].Drawn);
}

void TPieceMotion::PaintOverOriginal(HDC dc) {
    if (carrying_ && aim_.Picture == TDropAim::Original && aim_.Accepted)
        PaintAimFrame(dc, ToRect(carriedGeometry_.OriginalCell(aim_.Cell)), window_.Scaled(2));
}

void TPieceMotion::RefreshUnswept() {
    const TPieceSize piece = revealGeometry_.Piece();
    RefreshPuzzle(TCellRect{0, sweptTo_, revealGeometry_.Columns() * piece.Width, revealGeometry_.Rows() * piece.Height});
}

// The outline of every cell as the solved puzzle had it, below the line the sweep has reached:
// each outline runs along its cell's border pixels. A sweep rather than a fade, because each
// frame then shows again only the band it cleared, never the whole picture.
void TPieceMotion::PaintRevealLines(HDC dc) {
    const TPieceSize piece = revealGeometry_.Piece();
    const int width = revealGeometry_.Columns() * piece.Width, height = revealGeometry_.Rows() * piece.Height;
    const auto paint = [&](RECT line) {
        line.top = std::max<LONG>(line.top, sweptTo_);
        if (line.top < line.bottom) FillCell(dc, line, revealColour_);
    };
    for (int32_t column = 0; column < revealGeometry_.Columns(); ++column)
        for (const int x : {column * piece.Width, (column + 1) * piece.Width - 1}) paint(RECT{x, 0, x + 1, height});
    for (int32_t row = 0; row < revealGeometry_.Rows(); ++row)
        for (const int y : {row * piece.Height, (row + 1) * piece.Height - 1}) paint(RECT{0, y, width, y + 1});
}
