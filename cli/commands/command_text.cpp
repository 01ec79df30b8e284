#include "cli/commands/command_text.h"

#include <cstdio>

#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "link/transact.h"

namespace {

// The 1-based character position of byte `index` in UTF-8 text.
size_t CharacterColumn(const std::string& utf8, size_t index) {
    size_t column = 1;
    for (size_t i = 0; i < index; ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) ++column;
    }
    return column;
}

}  // namespace

bool CommandFromLine(const std::string& utf8, std::string* command, std::string* error) {
    command->clear();
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(utf8[i]);
        if (IsControlByte(byte)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", byte);
            *error = "the line has a control character (" + std::string(hex) + " at column " +
                     std::to_string(CharacterColumn(utf8, i)) + "); nothing was sent";
            return false;
        }
    }
    std::string converted;
    if (!Utf8ToCp1251(utf8, &converted)) {
        *error = "the line has characters a modem cannot be sent; nothing was sent";
        return false;
    }
    if (converted.size() > kMaxCommandLength) {
        *error = "the line is longer than the " + std::to_string(kMaxCommandLength) +
                 " characters a command holds; nothing was sent";
        return false;
    }
    *command = converted;
    return true;
}
