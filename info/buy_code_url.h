// The shop page for a modem's unlock code: which product a model is, and when the offer shows.
// Window-free, so the list's drawing and click handling, the command-line tool and the tests
// share one rule.
#pragma once

#include <cstddef>

#include "common/utc_time.h"

constexpr size_t kPageAddressSize = 256;   // the callers' address buffer, NUL included

// The shop's origin (a deployment setting) followed by the fixed path and query key, and the
// three products a model can lead to (deployment settings too).
extern const char* const ShopBaseUrl;
extern const int ProductNumber1;
extern const int ProductNumber2;
extern const int ProductNumber3;

// The models whose codes the shop sells, in the order they are tried. Every name of group 1
// leads to ProductNumber1, every name of group 2 to ProductNumber2.
constexpr int kModelGroup1Size = 76;
constexpr int kModelGroup2Size = 13;
extern const char* const ModelGroup1[kModelGroup1Size];
extern const char* const ModelGroup2[kModelGroup2Size];

// Writes ShopBaseUrl and the model's product number ("%s%d") into `output`, bounded to
// `outputSize` and NUL-terminated (nothing is written when output is nullptr or outputSize is
// 0), and returns 0. Returns 1 and leaves `output` untouched when no rule applies. `model` and
// `versions` are the list's model and versions texts; nullptr counts as empty. Names are
// compared case-sensitively; a listed name matches only where the byte after its first
// occurrence in the model is not a decimal digit.
int BuildBuyCodeUrl(const char* model, const char* versions, char* output, size_t outputSize);

// The offer exists from August 2014 on; the date is the computer's date in UTC.
bool BuyCodeDateOpen(int year, int month);

// The page the buy-code offer opens for a model and its versions text on `today` (UTC): the
// model's page while the date gate is open. Writes it into `output` as BuildBuyCodeUrl does
// and returns true; otherwise writes the empty text (when there is room) and returns false.
// The window passes its clock, the command-line tool UtcToday().
bool OfferedBuyCodePage(const char* model, const char* versions, UtcDate today, char* output,
                        size_t outputSize);
