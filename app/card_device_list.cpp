#include "app/card_device_list.h"

#include "common/hunits/uhFuncs.h"

std::string device_list_line(const t_cell_rec& cell) {
    switch (cell.state) {
        case 0:
            return "-";
        case 1:
            return format_str("%07d", cell.device_number) + " (" + cell.version + ")";
        case 2:
            return "Удалено";
        default:
            return "";
    }
}

std::vector<std::string> device_list_lines(const t_cell_table& cells, bool six_cells) {
    const int count = six_cells ? card_max_cells : card_max_cells / 2;
    std::vector<std::string> lines;
    for (int cell = 0; cell < count; ++cell) {
        lines.push_back(device_list_line(cells[cell]));
    }
    return lines;
}
