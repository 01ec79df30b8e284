#include "cli/watch/redraw.h"

#include <csignal>
#include <cstdio>

#include "cli/console/console_output.h"
#include "cli/console/terminal_screen.h"
#include "common/exit_cleanup.h"

namespace {

constexpr char kHideCursor[] = "\x1b[?25l";
constexpr char kShowCursor[] = "\x1b[?25h";
// Where the terminal cannot tell its width.
constexpr size_t kAssumedColumns = 80;

volatile std::sig_atomic_t CursorHidden = 0;

// Runs on any end of the program, a signal's included.
void ShowCursorAtExit() {
    if (CursorHidden == 0) return;
    CursorHidden = 0;
    WriteToTerminalNow(kShowCursor, sizeof kShowCursor - 1);
}

bool StartsCharacter(unsigned char byte) { return (byte & 0xC0) != 0x80; }

size_t CurrentColumns() {
    const int columns = TerminalColumns();
    return columns > 0 ? static_cast<size_t>(columns) : kAssumedColumns;
}

}  // namespace

size_t ColumnsOf(const std::string& utf8) {
    size_t columns = 0;
    for (unsigned char byte : utf8) columns += StartsCharacter(byte) ? 1 : 0;
    return columns;
}

std::string FitToColumns(const std::string& utf8, size_t columns) {
    size_t used = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (!StartsCharacter(static_cast<unsigned char>(utf8[i]))) continue;
        if (used == columns) return utf8.substr(0, i);
        ++used;
    }
    return utf8;
}

size_t RowsTakenNow(const std::vector<size_t>& drawnColumns, size_t columns) {
    if (columns == 0) columns = 1;
    size_t rows = 0;
    for (size_t width : drawnColumns) rows += width <= columns ? 1 : (width + columns - 1) / columns;
    return rows;
}

LiveScreen::LiveScreen(bool on) : on_(on) {
    if (!on_) return;
    AddExitCleanup(ShowCursorAtExit);
    CursorHidden = 1;
    WriteUtf8(stdout, kHideCursor);
}

LiveScreen::~LiveScreen() { End(); }

void LiveScreen::Draw(const std::vector<std::string>& lines) {
    if (!on_) return;
    const size_t columns = CurrentColumns();
    // A line that reaches the last column leaves the cursor waiting to wrap, where erasing the
    // rest of the line would take that last character with it: one column stays free.
    const size_t usable = columns > 1 ? columns - 1 : 1;
    std::string frame;
    const size_t up = RowsTakenNow(drawnColumns_, columns);
    if (up > 0) frame += "\r\x1b[" + std::to_string(up) + "A";
    drawnColumns_.clear();
    for (const auto& line : lines) {
        const std::string fitted = FitToColumns(line, usable);
        drawnColumns_.push_back(ColumnsOf(fitted));
        frame += fitted + "\x1b[K\n";
    }
    // Rows below the frame that a narrower terminal's reflow pushed down.
    frame += "\x1b[J";
    WriteUtf8(stdout, frame);
    std::fflush(stdout);
}

void LiveScreen::End() {
    if (!on_) return;
    WriteUtf8(stdout, std::string("\r\x1b[K") + kShowCursor);
    std::fflush(stdout);
    CursorHidden = 0;
    on_ = false;
}
