// The terminal tab: sending the typed command and the transcript's context menu.
#pragma once

// Sends the command field's text to the selected port and appends the exchange to the
// transcript; the field is emptied and keeps the focus.
void SendCommand();

// Shows the transcript's context menu at the pointer and carries out the chosen item.
void ShowTerminalMenu();
