// A drawing thread's image of its part of the terminal block: a row of
// cells composed in memory and handed to the window as one finished line
// part, which the window writes in one piece.
#include "progress/drawing.h"
#include "progress/terminal_posix.h"

#include <string>
#include <vector>

namespace progress {
namespace {

using terminal::Colour;

const char *colour_code(Colour colour) {
    switch (colour) {
    case terminal::kWhite: return "\x1b[30;107m";
    case terminal::kBlue: return "\x1b[30;104m";
    case terminal::kGreen: return "\x1b[30;102m";
    default: return "\x1b[0m";
    }
}

class TerminalSurface : public Surface {
public:
    TerminalSurface(std::shared_ptr<terminal::Window> window, DrawingThread thread)
        : window_(std::move(window)), thread_(thread),
          brush_(thread == kCounterThread ? terminal::kWhite : terminal::kPlain) {
        int width = thread == kElapsedTimeThread ? terminal::Window::elapsed_width()
                    : thread == kCounterThread   ? window_->bar_width()
                                                 : window_->message_width();
        cells_.resize(static_cast<std::size_t>(width));
    }

    int width() const override { return static_cast<int>(cells_.size()); }

    void fill() override {
        for (Cell &cell : cells_) cell = Cell{" ", brush_};
    }

    void draw_text(const unsigned short *text, UINT format) override {
        auto line = terminal::glyphs(as_u16(text));
        int used = 0;
        std::size_t count = 0;
        for (; count < line.size() && used + line[count].width <= width(); ++count)
            used += line[count].width;
        int spare = width() - used;
        int at = (format & 3) == 2 ? spare : (format & 3) == 1 ? spare / 2 : 0;
        for (std::size_t i = 0; i < count; ++i) {
            auto cell = static_cast<std::size_t>(at);
            cells_[cell].glyph = line[i].bytes;
            if (line[i].width == 2) cells_[cell + 1].glyph.clear();
            at += line[i].width;
        }
    }

    void draw_bar(int face, int width) override {
        Colour colour = face == kDoneBarFace ? terminal::kBlue : terminal::kGreen;
        for (int i = 0; i < width && i < this->width(); ++i)
            cells_[static_cast<std::size_t>(i)].colour = colour;
    }

    void present() override {
        std::string line;
        Colour current = terminal::kPlain;
        for (const Cell &cell : cells_) {
            if (cell.colour != current) line += colour_code(cell.colour);
            current = cell.colour;
            line += cell.glyph;
        }
        if (current != terminal::kPlain) line += colour_code(terminal::kPlain);
        if (thread_ == kElapsedTimeThread) window_->set_elapsed_part(std::move(line));
        else if (thread_ == kCounterThread) window_->set_bar_part(std::move(line));
        else window_->set_message_part(std::move(line));
    }

private:
    struct Cell {
        std::string glyph;  // empty: the right half of a wide glyph
        Colour colour;
    };

    std::shared_ptr<terminal::Window> window_;
    DrawingThread thread_;
    Colour brush_;
    std::vector<Cell> cells_;
};

}  // namespace

std::unique_ptr<Surface> open_surface(HWND control, DrawingThread thread) {
    std::shared_ptr<terminal::Window> window = terminal::find(control);
    if (!window) return nullptr;
    return std::make_unique<TerminalSurface>(std::move(window), thread);
}

}  // namespace progress
