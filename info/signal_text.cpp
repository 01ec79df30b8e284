#include "info/signal_text.h"

#include <cstdio>

const char* const kSignalUnknownText = "Неизвестно";

const char* SignalGradeText(int dbm) {
    if (dbm <= -95) return "Плохо";
    if (dbm <= -85) return "Удовлетворительно";
    if (dbm <= -75) return "Хорошо";
    return "Отлично";
}

void SignalLevelText(const SignalLevel& level, char* text, size_t textSize) {
    if (text == nullptr || textSize == 0) return;
    if (!level.known) {
        std::snprintf(text, textSize, "%s", kSignalUnknownText);
        return;
    }
    std::snprintf(text, textSize, "%d dBm (%s)", level.dbm, SignalGradeText(level.dbm));
}
