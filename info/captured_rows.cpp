#include "info/captured_rows.h"

#include "common/utc_time.h"
#include "info/buy_code_url.h"

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

std::string BuyCodePage(const CapturedRows& rows) {
    char address[kPageAddressSize] = {};
    OfferedBuyCodePage(rows.Value(InfoRow::Model).c_str(), rows.Value(InfoRow::Versions).c_str(), UtcToday(),
                       address, sizeof address);
    return address;
}
