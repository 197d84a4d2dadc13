#pragma once

// Window-size hooks: keeps registered windows within a minimum and an optional maximum size
// while the user drags their borders. Create one Root, add windows to its HookedWindows and
// remove them before they are destroyed.
#include "hookedwindow.h"
#include "hookedwindows.h"
#include "root.h"
