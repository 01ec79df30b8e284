// Port entries and the device paths read back from them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/discovery.h"

namespace {

std::string PathOf(const char* entry) {
    char path[kPortEntrySize + 8];
    std::memset(path, 'x', sizeof path);
    PortPathFromEntry(entry, path, sizeof path);
    return path;
}

struct PathCase {
    const char* entry;
    const char* path;
};

TEST(PortPathFromEntry, Table) {
    const PathCase cases[] = {
        {"E173 (COM5)", "\\\\.\\COM5"},
        {"E173 (COM12)", "\\\\.\\COM12"},
        {"", "\\\\.\\"},
        {" (COM7)", "\\\\.\\COM7"},                      // empty model text
        {"ERROR (COM254)", "\\\\.\\COM254"},
        {"a)b (COM4)", "\\\\.\\COM4"},                   // ")" before "(COM" is harmless
        {"no port here", "\\\\.\\"},                      // nothing a scan makes; names no port
        {"E173 (COM5", "\\\\.\\COM5"},                    // no ")" : the rest is taken
        {"(COM6)", "\\\\.\\COM6"},                        // no model text, no blank before it
        // The model text is the modem's own: its "(COM" never names the port.
        {"X (COM5) (COM14)", "\\\\.\\COM14"},
        {"odd(COM3)model (COM9)", "\\\\.\\COM9"},
        {"(COM3) (COM9)", "\\\\.\\COM9"},
        {"X (COM5)(COM14)", "\\\\.\\COM5"},               // no blank: not an appended name
        {"A (COM", "\\\\.\\COM"},
        {"X(COM5)", "\\\\.\\"},                           // "(COM" inside a word names nothing
    };
    for (const auto& c : cases) EXPECT_EQ(PathOf(c.entry), c.path) << c.entry;
}

TEST(PortPathFromEntry, NullEntryIsEmpty) { EXPECT_EQ(PathOf(nullptr), "\\\\.\\"); }

TEST(PortPathFromEntry, SmallOutputBufferIsNeverOverrun) {
    char path[8];
    std::memset(path, 'x', sizeof path);
    PortPathFromEntry("E173 (COM123)", path, 6);
    EXPECT_STREQ(path, "\\\\.\\C");
    EXPECT_EQ(path[6], 'x');
}

TEST(PortPathFromEntry, NameIsLimitedTo255Characters) {
    std::string entry = "(COM" + std::string(400, '9');
    char path[600];
    PortPathFromEntry(entry.c_str(), path, sizeof path);
    EXPECT_EQ(std::strlen(path), 4u + 255u);
}

class PortEntryFormat : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&ModemList, 0, sizeof ModemList); }
    void Put(int slot, int port, const std::string& model) {
        ModemList.portNumbers[slot] = port;
        std::snprintf(ModemList.modelTexts[slot], kModelTextSize, "%s", model.c_str());
        if (ModemList.count <= slot) ModemList.count = slot + 1;
    }
    std::string Entry(int slot) {
        char entry[kPortEntrySize];
        FormatPortEntry(slot, entry, sizeof entry);
        return entry;
    }
};

TEST_F(PortEntryFormat, ModelAndPort) {
    Put(0, 5, "E173");
    Put(1, 12, "");
    EXPECT_EQ(Entry(0), "E173 (COM5)");
    EXPECT_EQ(Entry(1), " (COM12)");
    EXPECT_EQ(Entry(2), "");   // beyond the count
}

TEST_F(PortEntryFormat, LongModelKeepsTheEnding) {
    for (size_t length : {245u, 246u, 247u, 255u}) {
        Put(0, 254, std::string(length, 'M'));
        const std::string entry = Entry(0);
        EXPECT_LE(entry.size(), kPortEntrySize - 1) << length;
        EXPECT_EQ(entry.substr(entry.size() - 9), " (COM254)") << length;
        char path[kPortEntrySize + 8];
        PortPathFromEntry(entry.c_str(), path, sizeof path);
        EXPECT_STREQ(path, "\\\\.\\COM254");
    }
    Put(0, 7, std::string(246, 'M'));
    EXPECT_EQ(Entry(0), std::string(246, 'M') + " (COM7)");   // 254 characters: fits whole
}

TEST_F(PortEntryFormat, ModelNamingAnotherPortLeadsBackToItsOwn) {
    for (const char* model : {"X (COM5)", "(COM5)", "E173 (COM5) (COM6)", " (COM5", "(COM"}) {
        Put(0, 14, model);
        char path[kPortEntrySize + 8];
        PortPathFromEntry(Entry(0).c_str(), path, sizeof path);
        EXPECT_STREQ(path, "\\\\.\\COM14") << model;
    }
}

}  // namespace
