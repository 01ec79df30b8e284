// The commands that talk to the modem, run from the window against a simulated modem.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/cp1251.h"
#include "info/info_table.h"
#include "tests/gui/window_fixture.h"
#include "ui/window_proc.h"

namespace {

bool IsTableName(const std::string& name) {
    for (const InfoTableEntry& row : InfoTable) {
        if (name == row.name) return true;
    }
    return false;
}

// Runs the command-line tool on the same modem and returns its rows, as 1251 texts by name.
std::map<std::string, std::string> RowsFromTheTool(const char* port) {
    std::map<std::string, std::string> rows;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return rows;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::string commandLine = std::string("\"") + VESMARIN_CLI_EXE + "\" info " + port;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
            output.append(chunk, got);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        std::string text;
        size_t colon = line.find(": ");
        if (colon != std::string::npos && Utf8ToCp1251(line, &text)) {
            colon = text.find(": ");
            // The tool may add lines of its own after the table (the shop's page).
            const std::string name = text.substr(0, colon);
            if (IsTableName(name)) rows[name] = text.substr(colon + 2);
        }
        start = end + 1;
    }
    return rows;
}

void SelectFirstEntry() { SendMessageA(Ui.portCombo, CB_SETCURSEL, 0, 0); }

}  // namespace

TEST(GuiWindowRead, ReadWithoutASelectedPortChangesNothing) {
    SendMessageA(Ui.portCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetListCell(1, 1, "marker");
    RunCommand(0);
    PressMainWindow(400, 40);
    EXPECT_EQ(ListCell(1, 1), "marker");
    SetListCell(1, 1, "");
}

TEST(GuiWindowRead, AReadFillsEveryRowAsTheCommandLineToolShowsIt) {
    SelectFirstEntry();
    PressMainWindow(508, 56);
    EXPECT_EQ(ListCell(1, 1), "E173u-2");

    std::map<std::string, std::string> expected = RowsFromTheTool("COM5");
    ASSERT_EQ(expected.size(), static_cast<size_t>(kInfoRowCount));
    int filled = 0;
    for (int index = 0; index < kInfoRowCount; ++index) {
        const InfoTableEntry& row = InfoTable[index];
        EXPECT_EQ(ListCell(row.position, 1), expected[row.name]) << row.name;
        if (!expected[row.name].empty()) ++filled;
    }
    // Every row but the show-more row and the SIM lock state has a value with this modem.
    EXPECT_GE(filled, kInfoRowCount - 2);
}

TEST(GuiWindowRead, ARescanRefillsThePortListWithNothingSelected) {
    SelectFirstEntry();
    RunCommand(3);
    EXPECT_EQ(SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0), CB_ERR);
    ASSERT_EQ(SendMessageA(Ui.portCombo, CB_GETCOUNT, 0, 0), 1);
    char entry[256] = {};
    SendMessageA(Ui.portCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, "E173u-2 (COM5)");
}
