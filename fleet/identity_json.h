// A modem's identity as JSON, under the same keys in scan --json, info --json,
// info --all --json and the exporter's labels.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "host/device_identity.h"
#include "host/modem_identity.h"

// {"id", "imei", "usbPath", "byId"}: empty parts as null.
nlohmann::ordered_json IdentityJson(const ModemIdentity& identity);

// The identity of the modem behind a port, from its IMEI row and what the system says about
// the port's device (`identified` false: nothing known). `comNumber` counts only on Windows.
ModemIdentity IdentityOfPort(const std::string& imeiRow, const DeviceIdentity& device, bool identified,
                             int comNumber, const std::string& path);
