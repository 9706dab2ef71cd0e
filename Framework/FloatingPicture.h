// A picture that floats above the windows and follows a point on the screen: the piece in the
// player's hand while it is dragged. It never takes the focus, a click or a hit test: the
// windows below it still find themselves under the pointer.
#pragma once

#include "Framework/Window.h"
#include "Include/BitmapCanvas.h"

#include <memory>

class TFloatingPicture : public TWindow {
public:
    // Hidden until shown; above its owner, and gone with it.
    explicit TFloatingPicture(HWND owner);

    // Shows the picture, at its own size, with its top left at the screen point.
    void Show(std::unique_ptr<TBitmapCanvas> picture, POINT topLeft);
    // Moves it there and shows the pixels it uncovered at once.
    void MoveTo(POINT topLeft);
    void Hide();
    bool Shown() const { return shown_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::unique_ptr<TBitmapCanvas> picture_;
    bool shown_ = false;
};
