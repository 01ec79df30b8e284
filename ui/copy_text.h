// The text the copy command puts on the clipboard, built without a window: one
// "name: value\r\n" line per checked row of the information table, in table order.
#pragma once

#include <cstddef>

// The copy text must fit the 8-bit buffer it is built in (65534 characters) and the UTF-16
// buffer it is converted into (32767 units, terminating NUL included: one unit per 8-bit
// character for a single-byte code page). The smaller limit decides.
constexpr size_t kCopyTextMaxBytes = 65534;
constexpr size_t kCopyUnicodeBufferUnits = 32767;
constexpr size_t kCopyTextMaxCharacters = kCopyUnicodeBufferUnits - 1;

// The list's state-image index that means "check box cleared"; every other index is copied.
constexpr int kUncheckedStateImage = 1;

// Where the rows' check states and values come from: the window answers from its list view,
// tests from memory. Both are asked by screen position.
struct CopyRowSource {
    // State-image index (bits 12 to 15 of the item state) of the list entry at `position`.
    int (*stateImageIndex)(int position, void* context);
    // Column 1 of the entry at `position` into `value`: at most valueSize - 1 characters,
    // NUL-terminated.
    void (*valueText)(int position, char* value, size_t valueSize, void* context);
    void* context;
};

// Zero-fills `text` (textSize bytes) and builds the copy text in it: for table index 0 to 28,
// each row whose state-image index is not kUncheckedStateImage gives its bare table name,
// ": ", its value and "\r\n"; a value is cut to the length of one extracted answer (65535
// characters). Only whole lines are taken: the first line that would take the text past
// kCopyTextMaxCharacters (or past textSize - 1) is left out together with every later row.
// Returns the text's length.
size_t BuildCopyText(const CopyRowSource& source, char* text, size_t textSize);
