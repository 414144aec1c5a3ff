// Comparison of two data files: the report lines that the comparison tab shows and that
// `h_trelmo-cli compare` prints.
#pragma once

#include <string>
#include <vector>

enum class t_compare_colour { normal, red };

struct t_compare_line {
    std::string text;
    t_compare_colour colour = t_compare_colour::normal;
};

struct t_compare_result {
    // 0 when both files loaded; 1 or 2 when that file could not be loaded (then `lines` is
    // empty and the caller reports "Ошибка загрузки файла: " + its name).
    int unloadable_file = 0;
    std::vector<t_compare_line> lines;
};

t_compare_result compare_data_files(const std::string& file1, const std::string& file2);

// True when the report shows a difference: a red line or a differing record.
bool compare_found_differences(const t_compare_result& result);
