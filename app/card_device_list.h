// The lines of the device list: one per cell of the card, in cell order, so that a line's
// index is the cell index.
#pragma once

#include <string>
#include <vector>

#include "card/U_wincard_work.h"

// "-" (no device data), "0001234 (2T4V)" (device number and version), "Удалено", or an
// empty line for a state the directory does not give.
std::string device_list_line(const t_cell_rec& cell);
// Cells 0-5, or 0-2 when the card has three cells.
std::vector<std::string> device_list_lines(const t_cell_table& cells, bool six_cells);
