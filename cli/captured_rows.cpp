#include "cli/captured_rows.h"

CapturedRows::CapturedRows() { InstallRowStore(&CapturedRows::Write, this); }

CapturedRows::~CapturedRows() { InstallRowStore(nullptr, nullptr); }

void CapturedRows::Write(int position, const char* text, void* context) {
    const int index = TableIndexAtPosition(position);
    if (index >= 0) static_cast<CapturedRows*>(context)->values_[index] = text ? text : "";
}
