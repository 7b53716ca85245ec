// The start-up checks of initPlugin.
#pragma once

// Binds the host function table, then checks in this order: host version at
// least 2.2.0; after the opening log lines, exactly two documents, document 0
// a VMR, (made current) with VOIs loaded, document 1 an SRF. The first failed
// check shows its one message box and gives false; a failed binding gives
// false silently. A host function the host lacks ends the checks with one
// message naming it (shown as a message box, else logged, else dropped).
// Never throws.
bool runStartupChecksSafely() noexcept;
