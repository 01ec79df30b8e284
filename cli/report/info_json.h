// The JSON of an information run, shared by `info --json`, `info --all --json` and the reading
// processes behind them, so that every one carries the same content under the same keys.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

class CapturedRows;

// {"port", "rows": [{"index", "name", "value"}...], "buy_code_url"}; `port1251` as the user
// named it.
nlohmann::ordered_json InfoJson(const std::string& port1251, const CapturedRows& rows);

// The page the window's buy-code cell would open for these rows (today in UTC); empty when the
// window would show a plain cell.
std::string BuyCodePage(const CapturedRows& rows);
