// The progress window on POSIX: a block of lines on the terminal of
// standard error, drawn in place. Its rows mirror the dialog: the caption,
// the file name, the message with the elapsed time at its right, the bar
// with its counter, and the two buttons, which are keys here (Ctrl-C
// cancels, any other key pauses and resumes). A window handle names a
// block through a table, so a stale handle is found missing, never
// followed.
#pragma once

#include "platform/win32.h"

#include <termios.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace progress {
namespace terminal {

enum Row { kCaptionRow, kFileRow, kMessageRow, kBarRow, kButtonRow, kRows };

// What a drawing thread paints: a run of cells, each a glyph and a colour.
enum Colour { kPlain, kWhite, kBlue, kGreen };

class Window {
public:
    Window(int output, int columns);
    ~Window();

    // Layout: the widths of the parts the drawing threads paint.
    int message_width() const { return columns_ - 9; }
    static constexpr int elapsed_width() { return 8; }
    int bar_width() const { return columns_ - 2; }

    void show();
    void hide();
    void set_caption(const std::u16string &caption);
    std::u16string caption();
    void set_file_name(const std::u16string &path);
    void set_button(int control, const std::u16string *text, const bool *enabled);
    // A drawing thread's finished line part (UTF-8 with colour codes).
    void set_message_part(std::string part);
    void set_elapsed_part(std::string part);
    void set_bar_part(std::string part);

    // Keys: taken from the terminal while the window is in the foreground.
    void take_keys();
    void give_keys_back();
    // Waits up to `milliseconds` for a key; the pressed keys, or empty.
    std::string wait_for_keys(DWORD milliseconds);
    bool button_enabled(int control);

    // Messages for the window thread.
    DWORD thread_id() const { return thread_id_; }
    void post(UINT message, unsigned short *block);
    bool take_posted(UINT &message, unsigned short *&block);
    // Called by another thread: waits until the window thread destroyed
    // the window (or has ended).
    void wait_destroyed();
    // On the window thread: the block leaves the terminal as it found it.
    void destroy();

private:
    void draw_row_locked(int row);
    void write_locked(const std::string &bytes);
    std::string row_text_locked(int row) const;

    const int output_;
    const int columns_;
    const DWORD thread_id_;
    std::mutex lock_;
    std::condition_variable destroyed_signal_;
    bool alive_ = true;
    bool visible_ = false;
    std::u16string caption_, file_name_;
    std::u16string cancel_text_, pause_text_;
    bool cancel_enabled_ = true, pause_enabled_ = true;
    std::string message_part_, elapsed_part_, bar_part_;
    int input_ = -1;
    bool keys_taken_ = false;
    termios saved_modes_{};
    std::deque<std::pair<UINT, unsigned short *>> posted_;
};

// The table of live windows.
HWND add(std::shared_ptr<Window> window);
std::shared_ptr<Window> find(HWND handle);
void remove(HWND handle);

// One displayed character: its UTF-8 bytes and its cells (1, or 2 for East
// Asian wide characters).
struct Glyph {
    std::string bytes;
    int width;
};
std::vector<Glyph> glyphs(const std::u16string &text);

// Display cells of a text, and the text cut or padded to `width` cells as
// UTF-8.
int cells(const std::u16string &text);
std::string fit(const std::u16string &text, int width, UINT alignment);
// A path cut from the left with "..." to fit `width` cells.
std::u16string shorten_path(const std::u16string &path, int width);

}  // namespace terminal
}  // namespace progress
