#include "card/port_backends.h"

#include "card/ppdev_backend.h"
#include "card/windrv_backend.h"
#include "common/hunits/uhFuncs.h"

namespace {

using t_backend_factory = std::unique_ptr<t_port_backend> (*)(const t_port_backend_options&,
                                                              std::string& error_text);

struct t_backend_row {
    t_port_backend_kind kind;
    const char* name;
    const char* title;       // for the "not available" message
    t_backend_factory make;  // nullptr: not built on this system
};

// Each platform-bound backend's build switch decides whether its row can make it.
#ifdef H_TRELMO_HAVE_WINDRV
std::unique_ptr<t_port_backend> make_windrv(const t_port_backend_options&, std::string&) {
    return std::make_unique<t_windrv_backend>(make_win32_windrv_channel());
}
constexpr t_backend_factory windrv_factory = &make_windrv;
#else
constexpr t_backend_factory windrv_factory = nullptr;
#endif

#ifdef H_TRELMO_HAVE_PPDEV
std::unique_ptr<t_port_backend> make_ppdev(const t_port_backend_options&, std::string&) {
    return std::make_unique<t_ppdev_backend>();
}
constexpr t_backend_factory ppdev_factory = &make_ppdev;
#else
constexpr t_backend_factory ppdev_factory = nullptr;
#endif

std::unique_ptr<t_port_backend> make_simulator(const t_port_backend_options& options,
                                               std::string& error_text) {
    return make_sim_port_backend(options.simulator, error_text);
}
constexpr t_backend_factory simulator_factory = &make_simulator;

const t_backend_row backend_rows[] = {
    {t_port_backend_kind::kernel_driver, "windrv", "драйвер WinDriver", windrv_factory},
    {t_port_backend_kind::ppdev, "ppdev", "доступ к порту через /dev/parport", ppdev_factory},
    {t_port_backend_kind::simulator, "simulator", "имитатор считывателя карт", simulator_factory},
};

const t_backend_row& row_of(t_port_backend_kind kind) {
    for (const t_backend_row& row : backend_rows) {
        if (row.kind == kind) {
            return row;
        }
    }
    return backend_rows[0];
}

}  // namespace

const char* port_backend_name(t_port_backend_kind kind) {
    return row_of(kind).name;
}

bool port_backend_available(t_port_backend_kind kind) {
    return row_of(kind).make != nullptr;
}

t_port_backend_kind native_port_backend_kind() {
    return port_backend_available(t_port_backend_kind::kernel_driver)
               ? t_port_backend_kind::kernel_driver
               : t_port_backend_kind::ppdev;
}

std::unique_ptr<t_port_backend> make_port_backend(t_port_backend_kind kind,
                                                  const t_port_backend_options& options,
                                                  std::string& error_text) {
    const t_backend_row& row = row_of(kind);
    if (!row.make) {
        error_text = format_str("Способ доступа к порту \"%s\" (%s) недоступен в этой системе.",
                                row.name, row.title);
        return nullptr;
    }
    error_text.clear();
    return row.make(options, error_text);
}
