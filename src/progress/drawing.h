// The three drawing threads and the surface each one paints. A surface
// composes one control off screen and shows it in one copy: a memory
// bitmap copied with BitBlt on Windows, one write of a terminal line on
// POSIX. The cycles themselves (drawing.cpp) are the same on both.
#pragma once

#include "platform/win32.h"
#include "progress/state.h"

#include <memory>

namespace progress {

// DrawText formats the threads use: single line, no prefix, vertically
// centred, and left, centred or right-aligned.
constexpr UINT kTextLeft = 0x824;
constexpr UINT kTextCentred = 0x825;
constexpr UINT kTextRight = 0x826;

class Surface {
public:
    virtual ~Surface() = default;
    // Width of the control in its own units (pixels, terminal cells).
    virtual int width() const = 0;
    // Fills the whole image with the thread's brush.
    virtual void fill() = 0;
    virtual void draw_text(const unsigned short *text, UINT format) = 0;
    // Bar face 140 or 141 stretched over (0, 0, width, height).
    virtual void draw_bar(int face, int width) = 0;
    // Copies the image to the control.
    virtual void present() = 0;
};

// Step 1 of a drawing thread: the control's image, font and brush. Null
// when the control cannot be drawn.
std::unique_ptr<Surface> open_surface(HWND control, DrawingThread thread);

// Called by the dialog's initialisation, on the window thread: starts the
// elapsed-time, counter and message threads, in that order, on their
// controls. A thread that cannot start leaves a null handle and is reported.
void start_drawing_threads(HWND elapsed, HWND counter, HWND message);

}  // namespace progress
