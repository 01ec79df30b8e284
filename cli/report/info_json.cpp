#include "cli/report/info_json.h"

#include <nlohmann/json.hpp>

#include "common/cp1251.h"
#include "info/captured_rows.h"
#include "info/info_table.h"

nlohmann::ordered_json InfoJson(const std::string& port1251, const CapturedRows& rows) {
    nlohmann::ordered_json document;
    document["port"] = Cp1251ToUtf8(port1251);
    std::vector<std::string> values;
    for (int i = 0; i < kInfoRowCount; ++i) values.push_back(Cp1251ToUtf8(rows.Value(i)));
    document["rows"] = InfoRowsJson(values);
    const std::string page = BuyCodePage(rows);
    document["buy_code_url"] = page.empty() ? nlohmann::ordered_json(nullptr)
                                            : nlohmann::ordered_json(Cp1251ToUtf8(page));
    return document;
}

nlohmann::ordered_json InfoRowsJson(const std::vector<std::string>& valuesUtf8) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int i = 0; i < kInfoRowCount; ++i) {
        nlohmann::ordered_json row;
        row["index"] = i;
        row["name"] = Cp1251ToUtf8(InfoTable[i].name);
        row["value"] = i < static_cast<int>(valuesUtf8.size()) ? valuesUtf8[i] : std::string();
        list.push_back(row);
    }
    return list;
}
