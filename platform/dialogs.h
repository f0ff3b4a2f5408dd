// Message boxes: the yes/no question and the error box a fatal error shows.
#pragma once

// Skipped in headless runs and when ZANT_NO_DIALOGS is set, so automation
// never blocks on a dialog.
extern bool dialogsAllowed;

// Yes/No box; Return means Yes. Returns 1 for Yes, 0 for No, -1 when no box
// could be shown.
int askYesNo(const char* title, const char* message);
void showErrorBox(const char* title, const char* message);
// Makes fatal errors show their box titled "ZANT" and tear the display down.
void installFatalErrorDisplay();
