#include "info/captured_rows.h"

CapturedRows::CapturedRows() { InstallRowStore(&CapturedRows::Write, this); }

CapturedRows::~CapturedRows() { InstallRowStore(nullptr, nullptr); }

const std::string& CapturedRows::Value(int tableIndex) const {
    static const std::string empty;
    if (tableIndex < 0 || tableIndex >= kInfoRowCount) return empty;
    return values_[tableIndex];
}

void CapturedRows::Reset() {
    for (auto& value : values_) value.clear();
    writes_ = 0;
}

void CapturedRows::Write(int position, const char* text, void* context) {
    auto* self = static_cast<CapturedRows*>(context);
    const int index = TableIndexAtPosition(position);
    if (index < 0) return;
    self->values_[index] = text != nullptr ? text : "";
    ++self->writes_;
}
