// Copying the checked rows of the information list to the clipboard.
#pragma once

// Puts the checked rows on the clipboard as text and confirms with a message box; when the
// rows could not be put there, the box says so instead (and why, when another program kept
// the clipboard to itself). Returns the box's result.
int CopyTable();
