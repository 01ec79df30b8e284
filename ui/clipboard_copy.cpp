#include "ui/clipboard_copy.h"

int CopyTable() { return 0; }
