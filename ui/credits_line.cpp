#include "ui/credits_line.h"

#include <richedit.h>

#include <cstring>

#include "info/buy_code_url.h"
#include "ui/rich_text.h"
#include "ui/ui_settings.h"
#include "ui/ui_state.h"

namespace {

constexpr int kCreditsTextSize = 220;
constexpr COLORREF kCreditsColour = RGB(0, 0, 0);

}  // namespace

void WriteCreditsLine() {
    UtcDate today = Ui.clock();
    // The credits share the buy-code offer's date gate.
    if (!BuyCodeDateOpen(today.year, today.month)) return;
    AppendRichText(Ui.creditsPane, kCreditsLead, kCreditsTextSize, CFE_BOLD, kCreditsColour);
    AppendRichText(Ui.creditsPane, kCreditsSiteAddress, kCreditsTextSize, CFE_BOLD | CFE_LINK,
                   kCreditsColour);
    AppendRichText(Ui.creditsPane, kCreditsMiddle, kCreditsTextSize, CFE_BOLD, kCreditsColour);
    AppendRichText(Ui.creditsPane, kCreditsPartnerAddress, kCreditsTextSize,
                   CFE_BOLD | CFE_LINK, kCreditsColour);
    AppendRichText(Ui.creditsPane, kCreditsTail, kCreditsTextSize, CFE_BOLD, kCreditsColour);
}

// The first link starts right after the lead text (14 characters with the default texts);
// measuring it keeps both links right when a deployment changes the lead.
const char* CreditsLinkAddress(LONG rangeStart) {
    if (rangeStart == static_cast<LONG>(strlen(kCreditsLead))) return kCreditsSiteAddress;
    return kCreditsPartnerAddress;
}
