// colorgrid: a zeroed two-dimensional grid of packed colours in one block, reached through
// an array of row pointers; the contour painter's brush is one.
#pragma once

#include "core/foundation/color.h"

// rows x columns colours, all 0; null when either is not positive. Free with DeleteMass.
TColor32** CreateDynMass(int rows, int columns);
void DeleteMass(TColor32** grid);
