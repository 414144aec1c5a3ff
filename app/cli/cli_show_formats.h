// A data file's header and records as readable text, CSV or JSON (UTF-8, dot decimals,
// independent of the locale).
#pragma once

#include <iosfwd>
#include <string>

#include "device/U_kalden_common.h"

void write_archive_text(std::ostream& out, const t_zor73_process& archive,
                        const std::string& file_name);
// A header row, then one row per record.
void write_archive_csv(std::ostream& out, const t_zor73_process& archive);
void write_archive_json(std::ostream& out, const t_zor73_process& archive,
                        const std::string& file_name);
