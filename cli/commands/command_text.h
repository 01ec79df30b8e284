// A command line typed or piped by the user, checked and turned into what the modem is sent.
#pragma once

#include <string>

// Converts one line (UTF-8, without its line end) into a Windows-1251 AT command. Refuses,
// with a sentence in `error`, a line holding control characters (a carriage return inside
// would end the command early and send the rest as a second one), characters Windows-1251
// lacks, or more than the 254 characters a command line holds.
bool CommandFromLine(const std::string& utf8, std::string* command, std::string* error);
