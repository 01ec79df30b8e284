// Which modem texts are values and which are the result codes that end a reply.
#include "common/result_codes.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultCodes, AResultCodeIsNoValueAnywhereItStands) {
    const struct {
        const char* text;
        bool resultCode;
        bool value;
    } cases[] = {
        {"E173", false, true},
        {"11.126.85.00.209", false, true},
        {"READY", false, true},
        {"SIM PIN", false, true},
        {"ERROR", true, false},
        {" ERROR\r", true, false},                  // framing around it aside
        {"OK", true, false},
        {"+CME ERROR: 10", true, false},
        {"+CME ERROR:10", true, false},
        {"+CME ERROR: SIM not inserted", true, false},
        {"+CMS ERROR: 500", true, false},
        {"+CME ERROR", true, false},
        {"COMMAND NOT SUPPORT", true, false},
        {"TOO MANY PARAMETERS", true, false},
        {"NO CARRIER", true, false},
        {"BUSY", true, false},
        {"NO ANSWER", true, false},
        {"NO DIALTONE", true, false},
        {"", false, false},
        {"  ", false, false},
        // Texts that only contain or resemble a code are values: a model may be named so.
        {"ERRORS", false, true},
        {"error", false, true},
        {"E1550 ERROR", false, true},
        {"+CME ERRORS", false, true},
        {"OK 2", false, true},
        {"COMMAND NOT SUPPORTED BY ZW900", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsFinalResultCode(c.text), c.resultCode) << "'" << c.text << "'";
        EXPECT_EQ(IsModemValue(c.text), c.value) << "'" << c.text << "'";
    }
}

}  // namespace
