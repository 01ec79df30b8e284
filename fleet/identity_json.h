// A modem's identity as JSON, under the same keys in scan --json, info --json,
// info --all --json and the exporter's labels.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "host/modem_identity.h"

// {"id", "imei", "usbPath", "byId"}: empty parts as null.
nlohmann::ordered_json IdentityJson(const ModemIdentity& identity);
