// A drawing thread's off-screen image of its control: a memory device
// context with a bitmap of the client size, the control's font and one
// brush, copied to the control with one BitBlt per cycle. All of it is made
// once and freed when the thread ends.
#include "progress/drawing.h"

namespace progress {
namespace {

constexpr int kFaceWidth = 300;
constexpr int kFaceHeight = 27;

class WindowSurface : public Surface {
public:
    WindowSurface(HWND control, COLORREF brush_colour, bool with_bars) : control_(control) {
        GetClientRect(control, &area_);
        window_dc_ = GetDC(control);
        image_dc_ = CreateCompatibleDC(window_dc_);
        image_ = CreateCompatibleBitmap(window_dc_, area_.right, area_.bottom);
        old_image_ = SelectObject(image_dc_, image_);
        // Answered by the window thread once it pumps its messages.
        auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        old_font_ = font ? SelectObject(image_dc_, font) : nullptr;
        brush_ = CreateSolidBrush(brush_colour);
        old_background_mode_ = SetBkMode(image_dc_, TRANSPARENT);
        SetTextColor(image_dc_, RGB(0, 0, 0));
        SetStretchBltMode(image_dc_, HALFTONE);
        if (with_bars) bar_dc_ = CreateCompatibleDC(window_dc_);
    }

    ~WindowSurface() override {
        SetBkMode(image_dc_, old_background_mode_);
        DeleteObject(brush_);
        if (old_font_) SelectObject(image_dc_, old_font_);
        SelectObject(image_dc_, old_image_);
        DeleteObject(image_);
        if (bar_dc_) {
            if (old_bar_) SelectObject(bar_dc_, old_bar_);
            DeleteDC(bar_dc_);
        }
        DeleteDC(image_dc_);
        ReleaseDC(control_, window_dc_);
    }

    bool usable() const { return window_dc_ && image_dc_ && image_ && brush_; }

    int width() const override { return area_.right; }

    void fill() override { FillRect(image_dc_, &area_, brush_); }

    void draw_text(const unsigned short *text, UINT format) override {
        RECT area = area_;
        DrawTextW(image_dc_, as_wide(text), -1, &area, format);
    }

    void draw_bar(int face, int width) override {
        HBITMAP bitmap = (face == kDoneBarFace ? state().done_bar : state().second_bar).load();
        if (!bar_dc_ || !bitmap) return;  // a missing face leaves its bar out
        HGDIOBJ previous = SelectObject(bar_dc_, bitmap);
        if (!old_bar_) old_bar_ = previous;
        StretchBlt(image_dc_, 0, 0, width, area_.bottom, bar_dc_, 0, 0, kFaceWidth, kFaceHeight,
                   SRCCOPY);
    }

    // A device context taken before the dialog was on screen does not reach
    // it under every window system (Wine's window surfaces), so each copy
    // goes through a fresh one.
    void present() override {
        if (HDC dc = GetDC(control_)) {
            BitBlt(dc, 0, 0, area_.right, area_.bottom, image_dc_, 0, 0, SRCCOPY);
            ReleaseDC(control_, dc);
        }
    }

private:
    HWND control_;
    RECT area_{};
    HDC window_dc_ = nullptr;
    HDC image_dc_ = nullptr;
    HDC bar_dc_ = nullptr;
    HBITMAP image_ = nullptr;
    HBRUSH brush_ = nullptr;
    HGDIOBJ old_image_ = nullptr;
    HGDIOBJ old_font_ = nullptr;
    HGDIOBJ old_bar_ = nullptr;
    int old_background_mode_ = 0;
};

}  // namespace

std::unique_ptr<Surface> open_surface(HWND control, DrawingThread thread) {
    COLORREF brush = thread == kCounterThread ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE);
    auto surface = std::make_unique<WindowSurface>(control, brush, thread == kCounterThread);
    if (!surface->usable()) return nullptr;
    return surface;
}

}  // namespace progress
