#include "ui/ui_state.h"

#include <commctrl.h>

UiState Ui = {};

int CurrentTab() {
    return static_cast<int>(SendMessageA(Ui.tabControl, TCM_GETCURSEL, 0, 0));
}
