// The rule that names a modem for good, and the port patterns and order of the modem list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/modem_identity.h"
#include "host/modem_ports.h"

namespace {

TEST(ModemIdentity, FollowsTheStickThenTheSocket) {
    struct Case {
        const char* imei;
        const char* usbPath;
        int com;
        const char* id;
    } const cases[] = {
        {"353456789012345", "1-2", 0, "imei:353456789012345"},   // IMEI wins over the socket
        {"35345678901234", "", 0, "imei:35345678901234"},        // without the check digit
        {"3534567890123456", "1-2", 0, "imei:3534567890123456"}, // IMEISV
        {"ERROR", "1-2.3", 0, "usb:1-2.3"},                      // an error reply is no IMEI
        {"", "1-2", 7, "usb:1-2"},
        {"3534567890123", "1-2", 0, "usb:1-2"},                  // 13 digits: too short
        {"35345678901234567", "", 0, "imei:35345678901234567"},
        {"353456789012345678", "", 0, "device:/dev/pts/3"},      // 18 digits: too long
        {"35345678901234X", "", 5, "com:5"},                     // Windows: the COM number
        {" 353456789012345", "", 0, "device:/dev/pts/3"},        // no trimming of odd replies
    };
    for (const auto& c : cases) {
        const ModemIdentity identity = IdentifyModem(c.imei, c.usbPath, "/dev/serial/by-id/x", c.com, "/dev/pts/3");
        EXPECT_EQ(identity.id, c.id) << c.imei << " " << c.usbPath;
        EXPECT_EQ(identity.usbPath, c.usbPath);
        EXPECT_EQ(identity.byId, "/dev/serial/by-id/x");
    }
}

// Sticks that share an IMEI: each told apart by its socket (or device) while the twin is
// there; alone again, by its IMEI; modems without an IMEI are never renamed.
TEST(ModemIdentity, SharedImeisAreToldApartByWhereTheModemSits) {
    const auto named = [](const char* imei, const char* usbPath, const char* device) {
        return IdentifyModem(imei, usbPath, "", 0, device);
    };
    struct Case {
        std::vector<ModemIdentity> found;
        std::vector<std::string> ids;
        size_t shared;
    } cases[] = {
        {{named("356666666666666", "1-2", "/dev/ttyUSB2"), named("356666666666666", "1-3", "/dev/ttyUSB5"),
          named("351111111111111", "1-4", "/dev/ttyUSB8")},
         {"imei:356666666666666@1-2", "imei:356666666666666@1-3", "imei:351111111111111"}, 2},
        {{named("356666666666666", "1-2", "/dev/ttyUSB2"), named("356666666666666", "", "/dev/pts/4"),
          named("356666666666666", "", "/dev/pts/5")},
         {"imei:356666666666666@1-2", "imei:356666666666666@/dev/pts/4", "imei:356666666666666@/dev/pts/5"}, 3},
        {{named("ERROR", "1-2", "/dev/ttyUSB2"), named("ERROR", "", "/dev/pts/4"), named("", "", "/dev/pts/5")},
         {"usb:1-2", "device:/dev/pts/4", "device:/dev/pts/5"}, 0},
        {{}, {}, 0},
    };
    for (auto& c : cases) {
        EXPECT_EQ(TellApartSharedImeis(&c.found), c.shared);
        ASSERT_EQ(c.found.size(), c.ids.size());
        for (size_t i = 0; i < c.ids.size(); ++i) EXPECT_EQ(c.found[i].id, c.ids[i]);
    }
    // The twin gone: the one left is named by its IMEI again.
    std::vector<ModemIdentity> left = {named("356666666666666", "1-2", "/dev/ttyUSB2")};
    left[0].id = "imei:356666666666666@1-2";
    EXPECT_EQ(TellApartSharedImeis(&left), 0u);
    EXPECT_EQ(left[0].id, "imei:356666666666666");
}

TEST(ModemPorts, PatternsMatchWholePathsWithStarAndQuestionMark) {
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    } const cases[] = {
        {"/dev/ttyUSB2", "/dev/ttyUSB2", true},     {"/dev/ttyUSB2", "/dev/ttyUSB23", false},
        {"/dev/ttyUSB?", "/dev/ttyUSB7", true},     {"/dev/ttyUSB?", "/dev/ttyUSB17", false},
        {"*if02*", "/dev/serial/by-id/usb-Z_1-if02-port0", true},
        {"*", "", true},                            {"", "", true},
        {"", "x", false},                           {"a*b*c", "abxbxc", true},
        {"a*b*c", "abxbx", false},                  {"COM1*", "COM12", true},
    };
    for (const auto& c : cases) EXPECT_EQ(PortPatternMatches(c.pattern, c.text), c.matches) << c.pattern << " " << c.text;
}

TEST(ModemPorts, NumbersInNamesSortAsNumbers) {
    EXPECT_TRUE(NaturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(NaturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(NaturalLess("1-2", "1-2.1"));
    EXPECT_TRUE(NaturalLess("1-9.4", "1-10"));
    EXPECT_TRUE(NaturalLess("ttyACM0", "ttyUSB0"));
    EXPECT_FALSE(NaturalLess("x07", "x7"));
    EXPECT_FALSE(NaturalLess("x7", "x07"));
}

}  // namespace
