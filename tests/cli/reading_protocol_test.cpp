// The reading process's message as its parent reads it: whatever a child prints, the parent
// gets a message or a reason.
#include <gtest/gtest.h>

#include <string>

#include "fleet/reading_protocol.h"

namespace {

TEST(ReadingProtocol, BadOutputIsAFailedReadingWithAReason) {
    const struct {
        const char* what;
        std::string output;
    } cases[] = {
        {"nothing", ""},
        {"no object", "Segmentation fault\n"},
        {"cut short", "{\"port\": \"/dev/ttyUSB2\", \"rows\": [\"E1"},
        {"an array", "[1, 2]\n"},
        {"busy not a flag", "{\"busy\": \"x\"}\n"},
        {"port a number", "{\"port\": 5}\n"},
        {"rows an object", "{\"rows\": {}}\n"},
        {"attempt of the wrong type", "{\"tried\": [{\"port\": 1}]}\n"},
        {"past the cap", "{\"model\": \"" + std::string(kReadingMessageCap, 'x') + "\"}\n"},
    };
    for (const auto& c : cases) {
        InfoMessage message;
        std::string why;
        EXPECT_FALSE(ReadInfoMessage(c.output, &message, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    SignalMessage signal;
    std::string why;
    EXPECT_FALSE(ReadSignalMessage("{\"csq\": \"18\"}\n", &signal, &why));
    EXPECT_FALSE(ReadSignalMessage("{\"csq\": 1e99}\n", &signal, &why));
}

TEST(ReadingProtocol, WhatIsWrittenIsReadBackPastStrayLinesAndMissingKeys) {
    InfoMessage sent;
    sent.port = "/dev/ttyUSB2";
    sent.model = "ZW-300";
    sent.rows = {"Zentrawave", "ZW-300", "\xd0\x97"};   // UTF-8 passes as it is
    sent.tried = {{"/dev/ttyUSB1", "silent", ""}, {"/dev/ttyUSB2", "answered", ""}};
    InfoMessage got;
    std::string why;
    ASSERT_TRUE(ReadInfoMessage("warning: stray\n" + InfoMessageLine(sent), &got, &why)) << why;
    EXPECT_EQ(got.port, sent.port);
    EXPECT_EQ(got.rows, sent.rows);
    ASSERT_EQ(got.tried.size(), 2u);
    EXPECT_EQ(got.tried[1].result, "answered");

    ASSERT_TRUE(ReadInfoMessage("{}", &got, &why)) << why;   // every key missing: defaults
    EXPECT_TRUE(got.port.empty());
    EXPECT_FALSE(got.busy);

    SignalMessage signal;
    signal.port = "/dev/ttyUSB2";
    signal.answered = true;
    signal.csq = 18;
    signal.radioFamily = RadioFamilyId::StandardOnly();
    SignalMessage back;
    ASSERT_TRUE(ReadSignalMessage(SignalMessageLine(signal), &back, &why)) << why;
    EXPECT_EQ(back.csq, 18);
    EXPECT_TRUE(back.answered);
    EXPECT_EQ(back.radioFamily, RadioFamilyId::StandardOnly());
}

}  // namespace
