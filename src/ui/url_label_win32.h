// The Windows side of TUrlLabel: a child window of class "TUrlLabel" that draws the
// caption in the label's font colour and underlined font, shows the program's "HAND"
// cursor, turns presses and releases of the mouse into the label's events, opens the
// target through ShellExecuteA, and offers the "Copy" menu on a right click.
#pragma once
#include <windows.h>

#include <string>

#include "ui/url_label.h"

extern const char* const kUrlLabelClass;  // "TUrlLabel"
// The command of the context menu's "Copy" entry.
constexpr UINT kUrlLabelCopyCommand = 1;

// Creates a label window on `parent` (child id `id`). The label takes its font from
// WM_SETFONT (underlined) and its caption from the window text.
HWND CreateUrlLabelWindow(HWND parent, int id, const RECT& bounds, bool visible, const std::string& caption,
                          const std::string& url);

// The label behind a window of class "TUrlLabel", or null for any other window.
TUrlLabel* UrlLabelOf(HWND window);
