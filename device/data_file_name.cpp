// The proposed name of a data file: read time, device number and archive kind.
#include <cstdlib>

#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"

namespace {
// Archive kinds below 3 are daily archives.
constexpr int first_hourly_archive_kind = 3;

// Decimal, at least eight digits (a sign goes before them).
std::string device_number_text(int32_t number) {
    const int64_t magnitude = std::llabs(int64_t{number});
    std::string digits = std::to_string(magnitude);
    if (digits.size() < 8) {
        digits.insert(0, 8 - digits.size(), '0');
    }
    return number < 0 ? "-" + digits : digits;
}
}  // namespace

std::string make_file_name(const t_zor73_process& process, const std::string& folder) {
    const t_archive_header& h = process.header;
    return normalize_dir_name(folder) +
           format_local_time(from_ole_date(h.read_time), "YYYY.MM.DD__HH-NN-SS-ZZZ") + "__n_" +
           device_number_text(h.device_number) + "__" +
           (h.archive_kind < first_hourly_archive_kind ? "day" : "hour") + ".z7m";
}
