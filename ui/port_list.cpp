#include "ui/port_list.h"

#include <windows.h>

#include <cstring>

#include "link/discovery.h"
#include "ui/ui_state.h"

void ScanPorts() {
    SendMessageA(Ui.portCombo, CB_RESETCONTENT, 0, 0);
    ProbePorts();
    if (ModemList.count == 0) {
        SendMessageA(Ui.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        return;
    }
    char entry[kPortEntrySize];
    for (int slot = 0; slot < ModemList.count; ++slot) {
        FormatPortEntry(slot, entry, sizeof(entry));
        SendMessageA(Ui.portCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

// CB_GETLBTEXT takes no buffer size, so the entry's length is checked first: an entry that
// somehow outgrew the buffer counts as no selection rather than overrunning it.
bool SelectedPortEntry(char* entry, size_t entrySize) {
    if (entrySize == 0) return false;
    memset(entry, 0, entrySize);
    LRESULT selected = SendMessageA(Ui.portCombo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return false;
    LRESULT length = SendMessageA(Ui.portCombo, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR || static_cast<size_t>(length) >= entrySize) return false;
    SendMessageA(Ui.portCombo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(entry));
    return true;
}
