// How a modem ends its reply to a command (V.250 and 3GPP TS 27.007 final result codes), and
// whether a text standing where an answer goes is a value at all.
#pragma once

#include <string_view>

// True for a final result code, blanks around it aside: OK, ERROR, +CME ERROR: <err>,
// +CMS ERROR: <err>, NO CARRIER, BUSY, NO ANSWER, NO DIALTONE, and what some firmware
// answers instead of ERROR (COMMAND NOT SUPPORT, TOO MANY PARAMETERS).
bool IsFinalResultCode(std::string_view line);

// Whether `text`, taken from where a modem's answer goes (the model, a firmware version, a
// SIM state), is a value: not empty and not a final result code. The window and `info` rows
// show what the modem said; labels and JSON meant for programs carry only values, and leave
// the rest empty or null.
bool IsModemValue(std::string_view text);
