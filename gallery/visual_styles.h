// Cells drawn as on Windows XP with visual styles on. On Windows XP (the
// version the system answers: under Wine, the one it plays) only the cells
// set up with themed() get a theme and the parent's themed background; every
// other cell draws as it does where visual styles are off. On any other
// system the themed() cells draw the classic look too.
#pragma once

#include "gallery.h"

// Adds the hooks to the gallery's preparations, once.
void useVisualStyles(Gallery& gallery);

// A cell setup that gives the instance its visual style, then runs setup.
CellSetup themed(CellSetup setup = {});
