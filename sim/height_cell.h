#pragma once

// One cell of the height update's interior pass (i = cellIndex(x, y)): heightChange,
// h, and the derived value and range of the given colour mode. Shared by both paths.
void updateHeightCell(int i, int mode);
