// Opening a web page in the user's default browser.
#pragma once

// Opens `address` maximised; a failure is not reported.
void OpenWebPage(const char* address);
