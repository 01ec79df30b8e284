// The JSON of an information run, shared by `info --json`, `info --all --json` and the reading
// processes behind them, so that every one carries the same content under the same keys.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

class CapturedRows;

// {"port", "rows": [{"index", "name", "value"}...], "buy_code_url"}; `port1251` as the user
// named it.
nlohmann::ordered_json InfoJson(const std::string& port1251, const CapturedRows& rows);

// The same "rows" list from the values a reading process sent (UTF-8, table order).
nlohmann::ordered_json InfoRowsJson(const std::vector<std::string>& valuesUtf8);
