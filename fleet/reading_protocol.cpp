#include "fleet/reading_protocol.h"

#include <nlohmann/json.hpp>

#include "common/result_codes.h"
#include "radio/radio_json.h"

namespace {

using Json = nlohmann::ordered_json;

Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }
Json IntOrNull(const std::optional<int>& value) { return value ? Json(*value) : Json(nullptr); }

std::string Line(const Json& document) {
    // Replace, not throw: a model text with invalid UTF-8 must not end the child without a word.
    return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

// Each reader below checks a key's type before it takes it; a key of the wrong type is the
// message's fault and ends the read with a reason.
class Fields {
public:
    Fields(const Json& object, std::string* why) : object_(object), why_(why) {}

    bool Text(const char* key, std::string* into) {
        const Json* value = Find(key);
        if (value == nullptr || value->is_null()) return true;
        if (!value->is_string()) return Wrong(key, "a text");
        *into = value->get<std::string>();
        return true;
    }
    bool Flag(const char* key, bool* into) {
        const Json* value = Find(key);
        if (value == nullptr || value->is_null()) return true;
        if (!value->is_boolean()) return Wrong(key, "true or false");
        *into = value->get<bool>();
        return true;
    }
    bool Whole(const char* key, std::optional<int>* into) {
        const Json* value = Find(key);
        if (value == nullptr || value->is_null()) return true;
        if (!value->is_number_integer()) return Wrong(key, "a whole number");
        const long long number = value->get<long long>();
        if (number < -1000000 || number > 1000000) return Wrong(key, "a whole number in range");
        *into = static_cast<int>(number);
        return true;
    }
    const Json* Array(const char* key) {
        const Json* value = Find(key);
        if (value == nullptr || value->is_null()) return nullptr;
        if (!value->is_array()) {
            Wrong(key, "a list");
            return nullptr;
        }
        return value;
    }

private:
    const Json* Find(const char* key) const {
        const auto at = object_.find(key);
        return at == object_.end() ? nullptr : &*at;
    }
    bool Wrong(const char* key, const char* what) {
        if (why_->empty()) *why_ = std::string("the reading process's \"") + key + "\" is not " + what;
        return false;
    }

    const Json& object_;
    std::string* why_;
};

// The message is the last line that starts an object: a stray line before it (a library's
// warning, a shell's complaint) is passed over.
bool LastObject(const std::string& output, Json* document, std::string* why) {
    if (output.size() > kReadingMessageCap) {
        *why = "the reading process wrote more than " + std::to_string(kReadingMessageCap / 1024) + " KiB";
        return false;
    }
    size_t end = output.size();
    while (end > 0) {
        const size_t start = output.rfind('\n', end - 1);
        const size_t from = start == std::string::npos ? 0 : start + 1;
        if (from < end && output[from] == '{') {
            *document = Json::parse(output.begin() + static_cast<std::ptrdiff_t>(from),
                                    output.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
            if (document->is_object()) return true;
        }
        if (start == std::string::npos) break;
        end = start;
    }
    *why = output.empty() ? "the reading process ended without a result"
                          : "the reading process's output holds no result";
    return false;
}

}  // namespace

std::string InfoMessageLine(const InfoMessage& message) {
    Json document;
    document["port"] = TextOrNull(message.port);
    // The port answered, but an ERROR to AT+CGMM names no model.
    document["model"] = message.port.empty() || !IsModemValue(message.model) ? Json(nullptr) : Json(message.model);
    Json rows = Json::array();
    for (const auto& value : message.rows) rows.push_back(value);
    document["rows"] = rows;
    document["buy_code_url"] = TextOrNull(message.buyCodeUrl);
    document["lost"] = TextOrNull(message.lost);
    document["error"] = TextOrNull(message.error);
    document["busy"] = message.busy;
    Json tried = Json::array();
    for (const auto& attempt : message.tried) {
        Json entry;
        entry["port"] = attempt.port;
        entry["result"] = attempt.result;
        entry["error"] = TextOrNull(attempt.error);
        tried.push_back(entry);
    }
    document["tried"] = tried;
    return Line(document);
}

std::string SignalMessageLine(const SignalMessage& message) {
    Json document;
    document["port"] = message.port;
    document["answered"] = message.answered;
    document["csq"] = IntOrNull(message.csq);
    document["rssi_dbm"] = IntOrNull(message.rssiDbm);
    document["registration"] = IntOrNull(message.registration);
    document["sim"] = TextOrNull(message.sim);
    AddRadioJson(message.radio, RadioJsonForm::Reading, MetricPrecision::Tenths, &document);
    document["radio_family"] = TextOrNull(RadioFamilyText(message.radioFamily));
    document["error"] = TextOrNull(message.error);
    document["busy"] = message.busy;
    return Line(document);
}

bool ReadInfoMessage(const std::string& output, InfoMessage* message, std::string* why) {
    *message = InfoMessage{};
    why->clear();
    Json document;
    if (!LastObject(output, &document, why)) return false;
    Fields fields(document, why);
    if (!fields.Text("port", &message->port) || !fields.Text("model", &message->model) ||
        !fields.Text("buy_code_url", &message->buyCodeUrl) || !fields.Text("lost", &message->lost) ||
        !fields.Text("error", &message->error) || !fields.Flag("busy", &message->busy)) {
        return false;
    }
    if (const Json* rows = fields.Array("rows")) {
        // A row is its value; anything but a text is a row not read.
        for (const auto& row : *rows) message->rows.push_back(row.is_string() ? row.get<std::string>() : "");
    }
    if (const Json* tried = fields.Array("tried")) {
        for (const auto& entry : *tried) {
            if (!entry.is_object()) continue;
            PortAttempt attempt;
            Fields one(entry, why);
            if (!one.Text("port", &attempt.port) || !one.Text("result", &attempt.result) ||
                !one.Text("error", &attempt.error)) {
                return false;
            }
            message->tried.push_back(attempt);
        }
    }
    return why->empty();
}

bool ReadSignalMessage(const std::string& output, SignalMessage* message, std::string* why) {
    *message = SignalMessage{};
    why->clear();
    Json document;
    if (!LastObject(output, &document, why)) return false;
    Fields fields(document, why);
    std::string family;
    if (!fields.Text("port", &message->port) || !fields.Flag("answered", &message->answered) ||
        !fields.Whole("csq", &message->csq) || !fields.Whole("rssi_dbm", &message->rssiDbm) ||
        !fields.Whole("registration", &message->registration) || !fields.Text("sim", &message->sim) ||
        !fields.Text("radio_family", &family) || !fields.Text("error", &message->error) ||
        !fields.Flag("busy", &message->busy)) {
        return false;
    }
    message->radio = RadioFactsFromJson(document);
    message->radioFamily = RadioFamilyFromText(family);
    return true;
}
