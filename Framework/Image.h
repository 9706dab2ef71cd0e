// An image control: a child window that owns a bitmap of its own size, shows it, and reports
// pointer events. One image can drag onto another: the drag captures the pointer, asks the
// image under it whether it accepts, shows the drag or no-drop pointer, and drops on release.
#pragma once

#include "Framework/Controls.h"
#include "Include/Owned.h"

#include <functional>

enum class TMouseButton { Left, Right, Middle };

class TImage;
using TMouseDownEvent = std::function<void(TMouseButton button, TShiftState shift, int x, int y)>;
using TDragOverEvent = std::function<void(TImage* source, int x, int y, bool& accept)>;
using TDragDropEvent = std::function<void(TImage* source, int x, int y)>;

class TImage : public TControl {
public:
    // A hidden image of the given size inside the parent.
    TImage(TWindow& parent, int left, int top, int width, int height, int id = 0);
    ~TImage() override;

    // Gives the control and its bitmap a new size; the bitmap's content is lost.
    void SetBounds(int left, int top, int width, int height);
    int BitmapWidth() const { return width_; }
    int BitmapHeight() const { return height_; }
    // A memory device context with the bitmap selected, valid as long as the image.
    HDC Canvas() const { return canvas_.get(); }
    // 32-bit pixels, top row first (BGRX).
    const uint32_t* Pixels() const { return pixels_; }
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
    bool Dragging() const { return dragging_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateBitmap(int width, int height);
    void DragMove();
    void EndDrag(bool drop);
    // The image under the screen point and the point in its coordinates, or null.
    static TImage* ImageAt(POINT screen, POINT& local);

    int width_ = 0;
    int height_ = 0;
    TOwnedMemoryDC canvas_;
    TOwnedBitmap bitmap_;
    HGDIOBJ originalBitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    HCURSOR cursor_ = nullptr;
    bool dragging_ = false;
    TImage* dragTarget_ = nullptr;
    bool dragAccepted_ = false;
};
