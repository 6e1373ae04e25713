// Icon resources of the plugin library (read by the resource compiler too, so
// plain defines only).
#pragma once

#define MORVANE_MARK_ICON 101        // the plugin's mark: 16, 32, 48 and 64 px
#define MORVANE_EVERYTHING_ICON 102  // the Everything label: 16, 24, 32 and 48 px
