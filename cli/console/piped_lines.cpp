#include "cli/console/piped_lines.h"

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Drops a last UTF-8 character that the cut left without all of its bytes.
void DropSplitCharacter(std::string* text) {
    size_t start = text->size();
    while (start > 0 && IsContinuation(static_cast<unsigned char>((*text)[start - 1]))) --start;
    if (start == 0) return;
    --start;
    const unsigned char lead = static_cast<unsigned char>((*text)[start]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (text->size() - start < length) text->resize(start);
}

}  // namespace

bool ReadPipedLine(std::FILE* stream, std::string* line) {
    line->clear();
    bool readAny = false;
    bool cut = false;
    int c;
    while ((c = std::getc(stream)) != EOF) {
        readAny = true;
        if (c == '\n') break;
        if (line->size() < kPipedLineMaxBytes) {
            line->push_back(static_cast<char>(c));
        } else {
            cut = true;
        }
    }
    if (!readAny) return false;
    if (cut) {
        DropSplitCharacter(line);
    } else if (!line->empty() && line->back() == '\r') {
        line->pop_back();
    }
    return true;
}
