#include "cli/report/info_json.h"

#include <nlohmann/json.hpp>

#include "common/cp1251.h"
#include "common/utc_time.h"
#include "info/buy_code_url.h"
#include "info/captured_rows.h"
#include "info/info_table.h"

std::string BuyCodePage(const CapturedRows& rows) {
    char address[kPageAddressSize] = {};
    OfferedBuyCodePage(rows.Value(InfoRow::Model).c_str(), rows.Value(InfoRow::Versions).c_str(),
                       UtcToday(), address, sizeof address);
    return address;
}

nlohmann::ordered_json InfoJson(const std::string& port1251, const CapturedRows& rows) {
    nlohmann::ordered_json document;
    document["port"] = Cp1251ToUtf8(port1251);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int i = 0; i < kInfoRowCount; ++i) {
        nlohmann::ordered_json row;
        row["index"] = i;
        row["name"] = Cp1251ToUtf8(InfoTable[i].name);
        row["value"] = Cp1251ToUtf8(rows.Value(i));
        list.push_back(row);
    }
    document["rows"] = list;
    const std::string page = BuyCodePage(rows);
    document["buy_code_url"] = page.empty() ? nlohmann::ordered_json(nullptr)
                                            : nlohmann::ordered_json(Cp1251ToUtf8(page));
    return document;
}
