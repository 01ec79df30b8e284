// A Prometheus label value from a text the modem sent: made UTF-8-valid with every control
// character visible ("\x1b", CR, LF and TAB included, as the program shows them elsewhere),
// cut at 128 bytes without splitting a character, then escaped by the text format's rules
// (backslash, double quote, line feed). One hostile model string cannot break a scrape.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kLabelValueBytes = 128;

std::string LabelValue(const std::string& utf8);
