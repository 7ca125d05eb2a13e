// The window of the running Motherboard Monitor (class "TMBM"), which the "Mo&nitor" button
// asks to come forward.
#pragma once

constexpr unsigned kMonitorWindowMessage = 1432;  // 0598h, both parameters 0

// Posts the message to the first top-level window of class "TMBM"; false when there is none.
// The message is posted, not sent, so that a hung monitoring program cannot hang the
// options window with it.
bool SignalMonitorWindow();
