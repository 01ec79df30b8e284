// The signal row's words for a level, so that the row, `watch` and later readers of +CSQ show
// one level the same way.
#pragma once

#include <cstddef>

#include "common/signal_level.h"

constexpr size_t kSignalTextSize = 64;   // room for any text below, NUL included

// What the row shows for a level it cannot tell (99, and every value with no defined level).
extern const char* const kSignalUnknownText;

// The grade of a level in dBm: "Плохо" up to -95, "Удовлетворительно" up to -85, "Хорошо" up
// to -75, "Отлично" above.
const char* SignalGradeText(int dbm);

// The row's text for a level, "-77 dBm (Хорошо)" or kSignalUnknownText, NUL-terminated and
// bounded to `textSize` (nothing is written when text is nullptr or textSize is 0).
void SignalLevelText(const SignalLevel& level, char* text, size_t textSize);
