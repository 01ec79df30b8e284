#include "tests/support/memory_rows.h"

MemoryRows::MemoryRows() { InstallRowStore(&MemoryRows::Write, this); }

MemoryRows::~MemoryRows() { InstallRowStore(nullptr, nullptr); }

const std::string& MemoryRows::Value(int tableIndex) const {
    static const std::string empty;
    if (tableIndex < 0 || tableIndex >= kInfoRowCount) return empty;
    return values_[tableIndex];
}

void MemoryRows::Reset() {
    for (auto& v : values_) v.clear();
    writes_ = 0;
}

void MemoryRows::Write(int position, const char* text, void* context) {
    auto* self = static_cast<MemoryRows*>(context);
    const int index = TableIndexAtPosition(position);
    if (index < 0) return;
    self->values_[index] = text ? text : "";
    ++self->writes_;
}
