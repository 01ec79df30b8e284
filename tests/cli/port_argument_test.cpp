// The PORT forms the tool accepts, and the ones it refuses before touching any port.
#include <gtest/gtest.h>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/port_argument.h"

namespace {

struct PortCase {
    const char* text;
    bool accepted;
    const char* devicePath;
    const char* entry;
};

TEST(PortArgument, Table) {
    const PortCase cases[] = {
        {"COM5", true, "\\\\.\\COM5", "(COM5)"},
        {"com12", true, "\\\\.\\COM12", "(COM12)"},
        {"COM254", true, "\\\\.\\COM254", "(COM254)"},
        {"COM255", false, "", ""},
        {"COM0", false, "", ""},
        {"COM05", false, "", ""},
        {"COM", false, "", ""},
        {"COM5x", false, "", ""},
        {"E173 (COM5)", true, "\\\\.\\COM5", "E173 (COM5)"},
        {" (COM7)", true, "\\\\.\\COM7", " (COM7)"},
        {"ERROR (COM9)", true, "\\\\.\\COM9", "ERROR (COM9)"},
        {"E173 (COM5", false, "", ""},
        {"E173 (COM300)", false, "", ""},
        {"E173 (LPT1)", false, "", ""},
        {"", false, "", ""},
        {"modem", false, "", ""},
#ifndef _WIN32
        {"/dev/ttyUSB0", true, "/dev/ttyUSB0", ""},
#else
        {"/dev/ttyUSB0", false, "", ""},
#endif
    };
    for (const auto& c : cases) {
        PortArgument port;
        std::string error;
        EXPECT_EQ(ParsePortArgument(c.text, &port, &error), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(port.devicePath, c.devicePath) << c.text;
            EXPECT_EQ(port.entry, c.entry) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
}

TEST(PortArgument, EntryLongerThanTheListHoldsIsRefused) {
    PortArgument port;
    std::string error;
    const std::string entry = std::string(250, 'M') + " (COM5)";
    EXPECT_FALSE(ParsePortArgument(entry, &port, &error));
    EXPECT_NE(error.find("255"), std::string::npos);
    EXPECT_TRUE(ParsePortArgument(std::string(248, 'M') + " (COM5)", &port, &error));
}

#ifndef _WIN32
// A path goes to the system as the user gave it; the name messages and the live watch header
// show has its control characters written out, so a link named with an ESC is not obeyed.
TEST(PortArgument, APathIsOpenedAsGivenAndShownAsText) {
    const struct {
        std::string given;
        std::string display;
    } cases[] = {
        {std::string(u8"/tmp/модем") + "/com5", "/tmp/\xec\xee\xe4\xe5\xec/com5"},
        {"/tmp/x\x1b[2J\r/com5", "/tmp/x\\x1b[2J\\x0d/com5"},
        {"/tmp/odd\xff/com5", "/tmp/odd\\xff/com5"},
    };
    for (const auto& c : cases) {
        PortArgument port;
        ASSERT_TRUE(ReadPortArgument(c.given, &port)) << c.display;
        EXPECT_EQ(port.devicePath, c.given);
        EXPECT_EQ(port.display, c.display);
    }
}
#endif

}  // namespace
