#include "info/buy_code_url.h"

#include <cstdio>
#include <cstring>

#include "info/shop_settings.h"

#define VESMARIN_SHOP_BASE VESMARIN_SHOP_ORIGIN "/asp/pay.asp?id_d="

namespace {

// The longest product number (ten digits) must still fit the callers' address buffer, or a
// page address would be cut and open the wrong page.
static_assert(sizeof(VESMARIN_SHOP_BASE) - 1 + 10 < kPageAddressSize,
              "VESMARIN_SHOP_ORIGIN is too long for a page address");

// The two models whose product depends on more than the model name.
constexpr const char* kModelE3272 = "E3272";
constexpr const char* kFirmwareE3272ForProduct1 = "21.436.03.00.00";
constexpr const char* kModelE3372 = "E3372";
constexpr const char* kHardwareE3372H = "E3372H";

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The firmware text is digits and dots; letter case is ignored for ASCII only, so the result
// does not depend on a locale or the platform's case-folding function.
bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    }
    return *a == *b;
}

// Only the first occurrence counts: a model holding "E353" once before a digit and again
// elsewhere is not an E353.
bool NameMatches(const char* model, const char* name) {
    const char* found = std::strstr(model, name);
    return found != nullptr && !IsDecimalDigit(found[std::strlen(name)]);
}

bool AnyNameMatches(const char* model, const char* const* names, int count) {
    for (int i = 0; i < count; ++i) {
        if (NameMatches(model, names[i])) return true;
    }
    return false;
}

// False when no rule applies. The order of the steps decides, not the order within a group.
bool ProductForModel(const char* model, const char* versions, int* product) {
    if (std::strstr(model, kModelE3272) != nullptr) {
        *product = EqualIgnoringAsciiCase(versions, kFirmwareE3272ForProduct1) ? ProductNumber1
                                                                               : ProductNumber2;
        return true;
    }
    if (std::strstr(model, kModelE3372) != nullptr) {
        *product = std::strstr(versions, kHardwareE3372H) != nullptr ? ProductNumber3
                                                                     : ProductNumber2;
        return true;
    }
    if (AnyNameMatches(model, ModelGroup1, kModelGroup1Size)) {
        *product = ProductNumber1;
        return true;
    }
    if (AnyNameMatches(model, ModelGroup2, kModelGroup2Size)) {
        *product = ProductNumber2;
        return true;
    }
    return false;
}

}  // namespace

const char* const ShopBaseUrl = VESMARIN_SHOP_BASE;
const int ProductNumber1 = VESMARIN_PRODUCT_NUMBER_1;
const int ProductNumber2 = VESMARIN_PRODUCT_NUMBER_2;
const int ProductNumber3 = VESMARIN_PRODUCT_NUMBER_3;

const char* const ModelGroup1[kModelGroup1Size] = {
    "E150", "E1550", "E155", "E156", "E156G", "E160", "E160G", "E161", "E166", "E169", "E169G",
    "E170", "E172", "E176", "E180", "E182E", "E196", "E226", "E270", "E271", "E272", "E510",
    "E612", "E618", "E620", "E630", "E630+", "E660", "E660A", "E800", "E870", "E880", "EG162",
    "EG162G", "EG602", "EG602G", "K2540", "K3515", "K3520", "K3565", "K3715", "E137", "E171",
    "E173Cs-1", "E1732", "E173", "E1815", "E303", "320s", "E3121", "E3131", "420d", "E3276",
    "M150-1", "M100-2", "822FT", "822F", "E352", "E353", "E355", "E357", "E362", "E363",
    "E367", "E368", "E369", "E372", "E392", "E397", "E398", "E586", "E5776", "821FT",
    "E5776s-22", "E589", "E589u-12",
};

const char* const ModelGroup2[kModelGroup2Size] = {
    "M100-4", "824F", "E5372", "MR100-3", "823F", "826FT", "E3531", "423S", "M21-4", "E5330",
    "424D", "E8231", "827F",
};

int BuildBuyCodeUrl(const char* model, const char* versions, char* output, size_t outputSize) {
    int product = 0;
    if (!ProductForModel(model != nullptr ? model : "", versions != nullptr ? versions : "",
                         &product)) {
        return 1;
    }
    if (output != nullptr && outputSize > 0) {
        std::snprintf(output, outputSize, "%s%d", ShopBaseUrl, product);
    }
    return 0;
}

bool BuyCodeDateOpen(int year, int month) { return year > 2014 || (year == 2014 && month >= 8); }

bool OfferedBuyCodePage(const char* model, const char* versions, UtcDate today, char* output,
                        size_t outputSize) {
    if (output != nullptr && outputSize > 0) output[0] = '\0';
    if (!BuyCodeDateOpen(today.year, today.month)) return false;
    return BuildBuyCodeUrl(model, versions, output, outputSize) == 0;
}
