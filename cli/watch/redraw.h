// A screen of a few lines redrawn in place on a terminal (`watch`'s live screen): the cursor
// hidden meanwhile and shown again however the program ends, every line fitted to the
// terminal's width so that none wraps and leaves a stale copy behind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The start of `utf8` that fits into `columns` terminal columns, one column per character.
std::string FitToColumns(const std::string& utf8, size_t columns);
// The columns `utf8` takes, one per character.
size_t ColumnsOf(const std::string& utf8);

// How many rows a frame drawn earlier takes now, after the terminal may have got narrower:
// a terminal that reflows wraps a line wider than itself onto further rows.
size_t RowsTakenNow(const std::vector<size_t>& drawnColumns, size_t columns);

class LiveScreen {
public:
    // With `on` false nothing is ever written.
    explicit LiveScreen(bool on);
    ~LiveScreen();
    LiveScreen(const LiveScreen&) = delete;
    LiveScreen& operator=(const LiveScreen&) = delete;

    // Back to the first line of the last frame, each line rewritten and the rest of it erased,
    // all in one write so the terminal never shows half a frame.
    void Draw(const std::vector<std::string>& lines);
    // Shows the cursor again; a "^C" the terminal echoed is erased. Nothing is drawn after.
    void End();

private:
    bool on_;
    std::vector<size_t> drawnColumns_;
};
