// colorgrid: a zeroed two-dimensional grid of packed colours in one block, reached through
// an array of row pointers; the contour painter's brush is one.
#include "scene/colorgrid.h"

#include <cstddef>
#include <new>

TColor32** CreateDynMass(int rows, int columns)
{
  if (rows <= 0 || columns <= 0)
    return nullptr;
  TColor32* cells = new (std::nothrow) TColor32[static_cast<size_t>(rows) * columns];
  TColor32** grid = new (std::nothrow) TColor32*[static_cast<size_t>(rows)];
  if (!cells || !grid) {
    delete[] cells;
    delete[] grid;
    return nullptr;
  }
  for (int row = 0; row < rows; ++row)
    grid[row] = cells + static_cast<size_t>(row) * columns;
  return grid;
}

void DeleteMass(TColor32** grid)
{
  if (!grid)
    return;
  delete[] grid[0];
  delete[] grid;
}
