// Opening a web page in the user's default browser.
#pragma once

// Opens `address` maximised; a failure is not reported.
void OpenWebPage(const char* address);

// Tests see which page a click opens by replacing the browser; nullptr restores it.
using WebPageOpener = void (*)(const char* address);
void ReplaceWebPageOpener(WebPageOpener opener);
