// An image control: a child window that owns a bitmap canvas of its own size, shows it, and reports
// pointer events. One image can drag onto another: the drag captures the pointer, asks the
// image under it whether it accepts, shows the drag or no-drop pointer, and drops on release.
#pragma once

#include "Framework/Controls.h"
#include "Include/BitmapCanvas.h"

#include <functional>
#include <memory>

enum class TMouseButton { Left, Right, Middle };

class TImage;
using TMouseDownEvent = std::function<void(TMouseButton button, TShiftState shift, int x, int y)>;
using TDragOverEvent = std::function<void(TImage* source, int x, int y, bool& accept)>;
using TDragDropEvent = std::function<void(TImage* source, int x, int y)>;

class TImage : public TControl {
public:
    // A hidden image of the given size inside the parent, black. Throws when there is no memory
    // for the bitmap.
    TImage(TWindow& parent, int left, int top, int width, int height, int id = 0);
    // A hidden image that shows a canvas painted before (not null), at the canvas's size.
    TImage(TWindow& parent, int left, int top, std::unique_ptr<TBitmapCanvas> bitmap, int id = 0);

    // Gives the control and its bitmap a new size; the bitmap's content is lost.
    void SetBounds(int left, int top, int width, int height);
    int BitmapWidth() const { return bitmap_->Width(); }
    int BitmapHeight() const { return bitmap_->Height(); }
    // A memory device context with the bitmap selected, valid as long as the bitmap.
    HDC Canvas() const { return bitmap_->Canvas(); }
    // 32-bit pixels, top row first (BGRX).
    const uint32_t* Pixels() const { return bitmap_->Pixels(); }
    // Shows what was drawn on the canvas.
    void Refresh();

    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
    HCURSOR Cursor() const { return cursor_; }

    TMouseMoveEvent OnMouseMove;
    TMouseDownEvent OnMouseDown;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    // Starts dragging this image now, without a movement threshold.
    void BeginDrag();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DragMove();
    void EndDrag(bool drop);
    // The image under the screen point and the point in its coordinates, or null.
    static TImage* ImageAt(POINT screen, POINT& local);

    std::unique_ptr<TBitmapCanvas> bitmap_;
    HCURSOR cursor_ = nullptr;
    bool dragging_ = false;
    TImage* dragTarget_ = nullptr;
    bool dragAccepted_ = false;
};
