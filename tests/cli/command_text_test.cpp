// Which typed lines the terminal command sends, and as what bytes.
#include <gtest/gtest.h>

#include <string>

#include "cli/commands/command_text.h"

namespace {

TEST(CommandFromLine, SendsPrintableLinesAsWindows1251) {
    struct Case {
        std::string line;
        std::string command;
    };
    const Case cases[] = {
        {"ATI", "ATI"},
        {"", ""},                                   // an empty line sends a lone CR
        {"AT+COPS=1,0,\"x y\"", "AT+COPS=1,0,\"x y\""},
        {"AT+CUSD=1,\"\xd0\x9f\"", "AT+CUSD=1,\"\xCF\""},   // П is 0xCF in Windows-1251
        {std::string(254, 'A'), std::string(254, 'A')},
        {std::string(254, ' '), std::string(254, ' ')},
    };
    for (const Case& c : cases) {
        std::string command = "stale";
        std::string error;
        EXPECT_TRUE(CommandFromLine(c.line, &command, &error)) << c.line << ": " << error;
        EXPECT_EQ(command, c.command);
    }
}

TEST(CommandFromLine, RefusesWhatCannotBeOneCommand) {
    struct Case {
        std::string line;
        const char* because;
    };
    const Case cases[] = {
        {"AT\tI", "control character (0x09 at column 3)"},
        {"ATI\rAT+CFUN=0", "control character (0x0D at column 4)"},
        {std::string("AT\0I", 4), "control character (0x00 at column 3)"},
        {"\xd0\x9f\x1b", "control character (0x1B at column 2)"},
        {"AT\x7f", "control character (0x7F at column 3)"},
        {"AT\xe2\x98\xba", "cannot be sent"},         // ☺ has no Windows-1251 byte
        {"AT\xc2\x85", "cannot be sent"},             // C1 control NEL
        {"AT\xff", "cannot be sent"},                 // not UTF-8
        {std::string(255, 'A'), "longer than the 254 characters"},
        {std::string(128, '\xd0') , "cannot be sent"},
    };
    for (const Case& c : cases) {
        std::string command = "stale";
        std::string error;
        EXPECT_FALSE(CommandFromLine(c.line, &command, &error)) << testing::PrintToString(c.line);
        EXPECT_NE(error.find(c.because), std::string::npos) << error;
        EXPECT_NE(error.find("nothing was sent"), std::string::npos) << error;
        EXPECT_EQ(command, "");
    }
}

}  // namespace
