// An image control: a child window that owns a bitmap canvas of its own size, shows it, and reports
// pointer events. One image can drag onto another: the drag captures the pointer, asks the
// image under it whether it accepts, shows the drag or no-drop pointer, and drops on release.
#pragma once

#include "Framework/Controls.h"
#include "Include/BitmapCanvas.h"

#include <functional>
#include <memory>
#include <optional>

enum class TMouseButton { Left, Right, Middle };

class TImage;
using TMouseDownEvent = std::function<void(TMouseButton button, TShiftState shift, int x, int y)>;
using TDragOverEvent = std::function<void(TImage* source, int x, int y, bool& accept)>;
using TDragDropEvent = std::function<void(TImage* source, int x, int y)>;
using TKeyEvent = std::function<void(WORD key, TShiftState shift)>;
// other: the window that takes the focus from this one, or gives it.
using TFocusEvent = std::function<void(bool focused, HWND other)>;
using TPaintOverlayEvent = std::function<void(HDC dc)>;
// The pointer's screen point during a drag, and the image under it (null over anything else).
using TDragMovedEvent = std::function<void(POINT screen, TImage* over)>;

class TImage : public TControl {
public:
    // A hidden place for a picture still to come: it has a size and no bitmap, shows nothing, and
    // its canvas is null.
    TImage(TWindow& parent, int left, int top, int width, int height, int id = 0);
    // A hidden image that shows a canvas painted before (not null), at the canvas's size.
    TImage(TWindow& parent, int left, int top, std::unique_ptr<TBitmapCanvas> bitmap, int id = 0);

    int BitmapWidth() const { return bitmap_ ? bitmap_->Width() : 0; }
    int BitmapHeight() const { return bitmap_ ? bitmap_->Height() : 0; }
    // A memory device context with the bitmap selected, valid as long as the image.
    HDC Canvas() const { return bitmap_ ? bitmap_->Canvas() : nullptr; }
    // 32-bit pixels, top row first (BGRX).
    const uint32_t* Pixels() const { return bitmap_ ? bitmap_->Pixels() : nullptr; }
    // Shows what was drawn on the canvas.
    void Refresh();

    // The pointer's shape over the image; shown at once when the pointer is over it now.
    void SetCursor(HCURSOR cursor);
    HCURSOR Cursor() const { return cursor_; }

    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseLeave;
    TMouseDownEvent OnMouseDown;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    // Starts dragging this image now, without a movement threshold.
    void BeginDrag();
    bool Dragging() const { return dragging_; }
    // On the dragged image: each pointer move of the drag, after the image under it was asked
    // whether it accepts; and the end of the drag, dropped or not, after any drop.
    TDragMovedEvent OnDragMoved;
    TNotifyEvent OnDragEnded;

    // An image that takes the keyboard: a tab stop that gets the arrows, Enter and Escape
    // itself, while Tab and the shortcuts keep their meaning.
    void SetTabStop();
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TFocusEvent OnFocusChange;
    // Drawn on the screen over the bitmap, never into it: a frame that moves leaves the
    // picture as it was.
    TPaintOverlayEvent OnPaintOverlay;
    // Shows that part again, bitmap and overlay.
    void RefreshArea(const RECT& area);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    POINT ScreenPoint(int x, int y) const;
    void DragMove(POINT screen);
    // Dropped at the point, or ended without a drop.
    void EndDrag(std::optional<POINT> dropAt);
    void Drop(POINT screen);
    // The image under the screen point and the point in its coordinates, or null.
    static TImage* ImageAt(POINT screen, POINT& local);
    LRESULT HandlePointer(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<TBitmapCanvas> bitmap_;
    HCURSOR cursor_ = nullptr;
    bool dragging_ = false;
    bool trackingLeave_ = false;
    TImage* dragTarget_ = nullptr;
    bool dragAccepted_ = false;
};
