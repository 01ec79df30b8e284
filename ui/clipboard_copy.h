// Copying the checked rows of the information list to the clipboard.
#pragma once

// Puts the checked rows on the clipboard as text and confirms with a message box; returns the
// box's result.
int CopyTable();
