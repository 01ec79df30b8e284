// Copying the checked rows of the information list to the clipboard.
#pragma once

// Said instead of the confirmation when another program kept the clipboard to itself.
constexpr char kCopyFailedText[] =
    "Буфер обмена занят другой программой: информация не скопирована.";

// Puts the checked rows on the clipboard as text and confirms with a message box; returns the
// box's result.
int CopyTable();
