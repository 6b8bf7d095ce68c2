#pragma once
// Opening a web address or a local page in the person's browser, through xdg-open, without
// waiting for it.

// 1 when the browser could be started; a null or empty address reports "url" and returns 0.
int OpenUrl(const char* url);

// What starts the browser (tests record the address instead). Null restores xdg-open.
using UrlLauncher = int (*)(const char* url);
void SetUrlLauncher(UrlLauncher launcher);
