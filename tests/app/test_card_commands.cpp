// The card commands against a scripted view, on the simulated card reader or on ports
// without a reader: message order, the port's lifecycle on every path, files written.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "app/U_card_commands.h"
#include "app/U_program_start.h"
#include "app/card_device_list.h"
#include "card/simulator/sim_port_backend.h"
#include "card_command_probes.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "progress/Dh_work_control.h"
#include "support/test_env.h"

namespace {

using t_result = t_card_command_result;
using t_lines = std::vector<std::string>;

const std::string driver_message = "Невозможно активировать драйвер устройства:\n";
const std::string not_identified_box =
    "error: Вначале программа должна опознать карту!\nВоспользуйтесь сканированием портов.";
const std::string user_break_box = "info: Прервано пользователем!";
const std::string not_found_box = "error: Карта не найдена!";
const std::string warning_65535_box =
    "warning: Считанный номер ПУ 65535. Возможно, при считывании произошла ошибка( не "
    "подключен/неисправен кабель, карта и т.п.).\nРекомендуется пересканировать порты и "
    "повторить считывание!";
const std::string delete_question =
    "question: Вы уверены, что хотите удалить данные выбранной ячейки карты?";
const std::string clear_question =
    "question: Вы действительно хотите удалить данные всех ячеек карты?";

// Six cells: a 2T4V device, an empty cell, a deleted one, a 3T3V device numbered 65535.
std::vector<uint8_t> six_cell_card() {
    return card_image({device_cell(1234, 0xFF), empty_cell(), deleted_cell(),
                       device_cell(0xFFFF, 0xAA), empty_cell(), empty_cell()});
}
const t_lines six_cell_lines = {"0001234 (2T4V)", "-", "Удалено", "0065535 (3T3V)", "-", "-"};

class CardCommands : public t_test_env {
  protected:
    CardCommands() : event_dialogs(events, dialogs), view(events) {
        start_program(log);
        set_dialog_presenter(&event_dialogs);
        view.data_dir = temp.file("data");
    }
    ~CardCommands() override { set_message_processor(nullptr); }

    // Every port of the list opens, none holds a card reader.
    void use_empty_ports() { make_commands(nullptr); }
    // The simulated reader with `image` on `reader_port`.
    void use_sim(const std::vector<uint8_t>& image, uint32_t reader_port = 0x378,
                 const t_sim_reader_faults& faults = {}) {
        auto backend =
            std::make_unique<t_sim_port_backend>(t_sim_card{image, nullptr}, reader_port, faults);
        sim = backend.get();
        make_commands(std::move(backend));
    }
    void make_commands(std::unique_ptr<t_port_backend> inner) {
        commands.reset();
        auto probe = std::make_unique<t_probe_backend>(events, std::move(inner));
        port = probe.get();
        commands = std::make_unique<t_card_commands>(view, std::move(probe));
        events.clear();
    }
    // Lists the card on the chosen port and forgets what that showed.
    void list_card() {
        ASSERT_EQ(commands->read_title(), t_result::done);
        events.clear();
    }
    // Presses stop at the n-th processing of pending messages from now on.
    void press_stop_at(int n) {
        set_message_processor([this, n] {
            if (++message_rounds == n) {
                request_user_break();
            }
        });
    }

    t_event_log only(const std::vector<std::string>& prefixes) const {
        t_event_log picked;
        for (const std::string& e : events) {
            for (const std::string& prefix : prefixes) {
                if (e.rfind(prefix, 0) == 0) {
                    picked.push_back(e);
                    break;
                }
            }
        }
        return picked;
    }
    t_event_log boxes() const { return only({"error:", "warning:", "info:", "question:"}); }
    t_event_log port_events() const { return only({"open", "close", "missing", "failed"}); }
    // Position of the first event equal to `e`, or events.size().
    size_t at(const std::string& e) const {
        return std::find(events.begin(), events.end(), e) - events.begin();
    }

    // Whatever way the command ended: port closed after the card was switched off, bar
    // returned, progress window gone, main window enabled, the next command may start.
    void expect_released() {
        EXPECT_FALSE(port->is_open);
        EXPECT_EQ(port->opens, port->closes);
        EXPECT_FALSE(commands->card_drv.is_driver_open());
        if (port->opens > 0) {
            EXPECT_EQ(port->last_data, 0);
        }
        if (sim) {
            EXPECT_FALSE(sim->reader().powered());
        }
        EXPECT_EQ(commands->card_drv.get_progress_bar(), nullptr);
        EXPECT_FALSE(view.progress_visible);
        EXPECT_TRUE(view.window_enabled);
        EXPECT_FALSE(commands->is_busy());
    }

    std::vector<std::string> data_files() const { return list_dir(view.data_dir); }
    std::vector<std::string> card_dumps() const {
        std::vector<std::string> dumps;
        for (const std::string& name : list_dir(program_logs_dir())) {
            if (name.find("card_readed.bin") != std::string::npos) {
                dumps.push_back(program_logs_dir() + name);
            }
        }
        return dumps;
    }
    std::string log_text() {
        log.flush_log_buffer();
        return cp1251_to_utf8(read_file_bytes(log.get_log_file_name()));
    }

    t_hlog log;
    t_event_log events;
    t_event_dialogs event_dialogs;
    t_scripted_view view;
    t_probe_backend* port = nullptr;
    t_sim_port_backend* sim = nullptr;
    std::unique_ptr<t_card_commands> commands;
    int message_rounds = 0;
};

TEST(DeviceListLines, OneLinePerCellByState) {
    struct t_case {
        int32_t state;
        int32_t number;
        std::string version;
        std::string line;
    };
    const t_case cases[] = {
        {0, 1234, "2T4V", "-"},
        {1, 1234, "2T4V", "0001234 (2T4V)"},
        {1, 65535, "3T3V", "0065535 (3T3V)"},
        {1, 12345678, "4T4V", "12345678 (4T4V)"},
        {2, 1234, "2T4V", "Удалено"},
        {7, 1234, "2T4V", ""},
    };
    for (const t_case& c : cases) {
        t_cell_rec cell;
        cell.state = c.state;
        cell.device_number = c.number;
        cell.version = c.version;
        EXPECT_EQ(device_list_line(cell), c.line) << c.state << " " << c.number;
    }

    t_cell_table cells;
    cells[2].state = 2;
    EXPECT_EQ(device_list_lines(cells, false), (t_lines{"-", "-", "Удалено"}));
    EXPECT_EQ(device_list_lines(cells, true), (t_lines{"-", "-", "Удалено", "-", "-", "-"}));
}

TEST_F(CardCommands, ScanWithNoCardTriesEveryPortOnceInListOrder) {
    use_empty_ports();
    EXPECT_EQ(commands->scan_for_card(), t_result::failed);

    EXPECT_EQ(port_events(), (t_event_log{"open 0x378", "close", "open 0x278", "close",
                                          "open 0x3BC", "close", "open 0x9800", "close"}));
    EXPECT_EQ(events.front(), "hide list");
    EXPECT_NE(at("progress: Поиск карты на портах 1 4 0"), events.size());
    EXPECT_EQ(view.scan_positions, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(boxes(), t_event_log{not_found_box});
    // The message comes after the progress window went and the window is usable again.
    EXPECT_EQ(t_event_log(events.end() - 3, events.end()),
              (t_event_log{"progress hide", "window on", not_found_box}));
    EXPECT_LT(at("window off"), at("open 0x378"));
    EXPECT_EQ(view.port_entry, 3);
    EXPECT_EQ(commands->get_port_address(), 0x9800u);
    EXPECT_FALSE(commands->is_card_identified());
    EXPECT_FALSE(view.list_visible);
    expect_released();
}

// Which ports exist, which fail to open and where the reader sits decide how far the
// scan goes and what it says.
struct t_scan_case {
    const char* name;
    std::set<uint32_t> missing;
    std::map<uint32_t, std::string> failing;
    std::optional<uint32_t> reader;
    t_event_log port_events;
    t_event_log boxes;
    t_result result;
    int port_entry;
};
void PrintTo(const t_scan_case& c, std::ostream* os) {
    *os << c.name;
}

class ScanPorts : public CardCommands, public ::testing::WithParamInterface<t_scan_case> {};

TEST_P(ScanPorts, EndsWhereThePortsSay) {
    const t_scan_case& c = GetParam();
    if (c.reader) {
        use_sim(six_cell_card(), *c.reader);
    } else {
        use_empty_ports();
    }
    port->missing = c.missing;
    port->failing = c.failing;

    EXPECT_EQ(commands->scan_for_card(), c.result);
    EXPECT_EQ(port_events(), c.port_events);
    EXPECT_EQ(boxes(), c.boxes);
    EXPECT_EQ(view.port_entry, c.port_entry);
    EXPECT_EQ(commands->get_port_address(), card_port_entry_address(c.port_entry));
    EXPECT_EQ(commands->is_card_identified(), c.result == t_result::done);
    EXPECT_EQ(view.list_visible, c.result == t_result::done);
    if (c.result == t_result::done) {
        EXPECT_EQ(view.lines, six_cell_lines);
        EXPECT_EQ(view.selected, 0);
    }
    for (uint32_t missing : c.missing) {
        EXPECT_NE(
            log_text().find("Порт " + std::string(card_port_list[card_port_entry_index(missing)]) +
                            " пропущен"),
            std::string::npos);
    }
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(
    CardCommands, ScanPorts,
    ::testing::Values(t_scan_case{"CardOnTheSecondPort",
                                  {},
                                  {},
                                  0x278,
                                  {"open 0x378", "close", "open 0x278", "close"},
                                  {},
                                  t_result::done,
                                  1},
                      t_scan_case{"NoDriver",
                                  {},
                                  {{0x378, "Драйвер не установлен."}},
                                  std::nullopt,
                                  {"failed 0x378"},
                                  {"error: " + driver_message + "Драйвер не установлен."},
                                  t_result::failed,
                                  0},
                      t_scan_case{"DriverFailsOnALaterPort",
                                  {},
                                  {{0x3BC, "Порт занят."}},
                                  std::nullopt,
                                  {"open 0x378", "close", "open 0x278", "close", "failed 0x3BC"},
                                  {"error: " + driver_message + "Порт занят."},
                                  t_result::failed,
                                  2},
                      t_scan_case{"MissingPortIsSkipped",
                                  {0x378},
                                  {},
                                  0x278,
                                  {"missing 0x378", "open 0x278", "close"},
                                  {},
                                  t_result::done,
                                  1},
                      t_scan_case{"MissingPortAmongPortsWithoutCard",
                                  {0x278},
                                  {},
                                  std::nullopt,
                                  {"open 0x378", "close", "missing 0x278", "open 0x3BC", "close",
                                   "open 0x9800", "close"},
                                  {not_found_box},
                                  t_result::failed,
                                  3},
                      t_scan_case{
                          "NoPortOfTheListExists",
                          {0x378, 0x278, 0x3BC, 0x9800},
                          {},
                          std::nullopt,
                          {"missing 0x378", "missing 0x278", "missing 0x3BC", "missing 0x9800"},
                          {"error: " + driver_message + no_card_port_text()},
                          t_result::failed,
                          3}),
    [](const auto& info) { return std::string(info.param.name); });

// Stop pressed at each point where the scan lets messages through, until the scan no
// longer sees it.
TEST_F(CardCommands, StopDuringTheScanAtAnyPoint) {
    int stopped_scans = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        use_empty_ports();
        message_rounds = 0;
        press_stop_at(n);
        const t_result result = commands->scan_for_card();
        if (result != t_result::stopped) {
            EXPECT_EQ(result, t_result::failed);
            EXPECT_EQ(port->opens, 4);
            break;
        }
        ++stopped_scans;
        EXPECT_EQ(boxes(), (t_event_log{user_break_box, not_found_box}));
        // The stop is reported while the progress window is still shown.
        EXPECT_LT(at(user_break_box), at("progress hide"));
        EXPECT_LT(at("window on"), at(not_found_box));
        EXPECT_FALSE(commands->is_card_identified());
        expect_released();
    }
    // Every port gives the user several chances to stop.
    EXPECT_GT(stopped_scans, 8);
}

TEST_F(CardCommands, CommandsBeforeTheCardWasIdentifiedDoNotTouchIt) {
    use_sim(six_cell_card());
    using t_command = t_result (t_card_commands::*)();
    for (t_command command :
         {&t_card_commands::read_dev, &t_card_commands::delete_dev, &t_card_commands::clear_card}) {
        events.clear();
        dialogs.answers = {true};
        EXPECT_EQ(((*commands).*command)(), t_result::failed);
        EXPECT_EQ(events, t_event_log{not_identified_box});
    }
    EXPECT_EQ(port->opens, 0);
    EXPECT_EQ(port->writes, 0);
}

TEST_F(CardCommands, ListRefreshShowsTheCardOrReportsNone) {
    use_sim(six_cell_card());
    EXPECT_EQ(commands->read_title(), t_result::done);
    EXPECT_EQ(events,
              (t_event_log{"open 0x378", "waiting", "clear list",
                           "listed: 0001234 (2T4V)|-|Удалено|0065535 (3T3V)|-|-", "close"}));
    EXPECT_TRUE(commands->is_card_identified());
    expect_released();

    // The user picks a port without a reader: the list goes, and so does the identification.
    commands->set_port_entry(3);
    events.clear();
    EXPECT_EQ(commands->read_title(), t_result::failed);
    EXPECT_EQ(events, (t_event_log{"open 0x9800", "waiting", "clear list", "close",
                                   "error: Ошибка считывания списка ПУ"}));
    EXPECT_FALSE(commands->is_card_identified());
    EXPECT_TRUE(commands->device_lines().empty());
    expect_released();
}

TEST_F(CardCommands, NothingToReadOnAnEmptyOrDeletedCell) {
    use_sim(six_cell_card());
    list_card();
    for (int line : {1, 2}) {
        view.selected = line;
        events.clear();
        EXPECT_EQ(commands->read_dev(), t_result::failed);
        EXPECT_EQ(events, t_event_log{"error: Нечего считывать."});
    }
    // No line selected, or one beyond the card's cells: nothing happens at all.
    for (int line : {-1, 6}) {
        view.selected = line;
        events.clear();
        EXPECT_EQ(commands->read_dev(), t_result::failed);
        EXPECT_EQ(commands->delete_dev(), t_result::failed);
        EXPECT_TRUE(events.empty());
    }
    EXPECT_EQ(port->opens, 1);
}

// One verified read each: what the daily switch and the device number change.
struct t_read_case {
    const char* name;
    int cell;
    bool to_days;
    const char* name_suffix;
    size_t records;
    bool warning;
};
void PrintTo(const t_read_case& c, std::ostream* os) {
    *os << c.name;
}

class ReadCell : public CardCommands, public ::testing::WithParamInterface<t_read_case> {};

TEST_P(ReadCell, SavesTheDecodedArchiveWhereTheUserConfirms) {
    const t_read_case& c = GetParam();
    use_sim(six_cell_card());
    list_card();
    view.selected = c.cell;
    view.to_days = c.to_days;

    EXPECT_EQ(commands->read_dev(), t_result::done);

    t_event_log expected = {"open 0x378", "progress: Считывание данных с карты 1 65536 0",
                            "progress show", "progress hide", "close"};
    if (c.warning) {
        expected.push_back(warning_65535_box);
    }
    expected.push_back("save dialog");
    EXPECT_EQ(events, expected);
    EXPECT_EQ(view.last_bar.position, 65536);
    EXPECT_EQ(view.offered_folder, view.data_dir);
    ASSERT_EQ(view.offered_path.rfind(normalize_dir_name(view.data_dir), 0), 0u);
    EXPECT_NE(view.offered_path.find(c.name_suffix), std::string::npos) << view.offered_path;

    t_zor73_process saved;
    ASSERT_TRUE(saved.load_from_file(view.offered_path)) << saved.get_text_result();
    EXPECT_EQ(saved.records.size(), c.records);
    EXPECT_EQ(saved.header.device_number, c.warning ? 0xFFFF : 1234);
    EXPECT_EQ(card_dumps().size(), 2u);
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(CardCommands, ReadCell,
                         ::testing::Values(t_read_case{"Daily", 0, true, "__n_00001234__day.z7m", 2,
                                                       false},
                                           t_read_case{"HourlyWithDevice65535", 3, false,
                                                       "__n_00065535__hour.z7m", 3, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A read that ends without a data file after the cell was read.
struct t_read_end_case {
    const char* name;
    bool bad_record;
    // Set up the data folder and the save dialog's answer; returns the expected boxes.
    t_event_log (*setup)(t_scripted_view& view, t_temp_dir& temp);
    bool save_dialog;
    t_result result;
};
void PrintTo(const t_read_end_case& c, std::ostream* os) {
    *os << c.name;
}

class ReadEndsWithoutFile : public CardCommands,
                            public ::testing::WithParamInterface<t_read_end_case> {};

TEST_P(ReadEndsWithoutFile, AfterTheCardWasRead) {
    const t_read_end_case& c = GetParam();
    use_sim(card_image({device_cell(1234, 0xFF, c.bad_record)}));
    list_card();
    const t_event_log expected_boxes = c.setup(view, temp);

    EXPECT_EQ(commands->read_dev(), c.result);
    EXPECT_EQ(boxes(), expected_boxes);
    EXPECT_EQ(at("save dialog") != events.size(), c.save_dialog);
    EXPECT_TRUE(data_files().empty());
    // The card was read: its dumps are there.
    EXPECT_EQ(card_dumps().size(), 2u);
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(
    CardCommands, ReadEndsWithoutFile,
    ::testing::Values(
        t_read_end_case{"SaveCancelled", false,
                        [](t_scripted_view& view, t_temp_dir&) {
                            view.save_answer.reset();
                            return t_event_log{};
                        },
                        true, t_result::declined},
        t_read_end_case{"DataFolderParentMissing", false,
                        [](t_scripted_view& view, t_temp_dir& temp) {
                            view.data_dir = temp.file("missing") + "/data";
                            return t_event_log{"error: Ошибка создания каталога: " + view.data_dir};
                        },
                        false, t_result::failed},
        t_read_end_case{"UndecodableCell", true,
                        [](t_scripted_view&, t_temp_dir&) {
                            return t_event_log{
                                "error: При декодеровке данных, полученных с карты, произошла "
                                "ошибка, возможно, данные не корректны!"};
                        },
                        false, t_result::failed},
        t_read_end_case{"SaveFails", false,
                        [](t_scripted_view& view, t_temp_dir& temp) {
                            write_file_bytes(temp.file("plain_file"), "x");
                            view.save_answer = temp.file("plain_file") + "/archive.z7m";
                            return t_event_log{"error: Ошибка сохранения файла: " +
                                               *view.save_answer};
                        },
                        true, t_result::failed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardCommands, NoisyReadFailsWithTheReason) {
    t_sim_reader_faults faults;
    faults.noise = 2e-5;
    faults.seed = 1;
    use_sim(card_image({device_cell(1234, 0xFF)}), 0x378, faults);
    list_card();

    EXPECT_EQ(commands->read_dev(), t_result::failed);
    EXPECT_EQ(boxes(),
              t_event_log{"error: Ошибка считывания: Данные полученные при повторном считывании "
                          "отличаются от данных полученных при первичном.\nПовторите "
                          "считывание."});
    // The message is shown with the progress window still up, as the window does.
    EXPECT_LT(at(boxes()[0]), at("progress hide"));
    EXPECT_EQ(at("save dialog"), events.size());
    EXPECT_TRUE(data_files().empty());
    expect_released();
}

// Stop in the first read, the middle of it, and in the second read.
class StopDuringRead : public CardCommands, public ::testing::WithParamInterface<int> {};

TEST_P(StopDuringRead, EndsWithoutFileAndWithTheCardOff) {
    use_sim(card_image({device_cell(1234, 0xFF)}));
    list_card();
    press_stop_at(GetParam());

    EXPECT_EQ(commands->read_dev(), t_result::stopped);
    EXPECT_EQ(boxes(), t_event_log{user_break_box});
    EXPECT_LT(at("progress hide"), at(user_break_box));
    EXPECT_LT(at(user_break_box), at("close"));
    EXPECT_EQ(at("save dialog"), events.size());
    EXPECT_TRUE(data_files().empty());
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(CardCommands, StopDuringRead, ::testing::Values(1, 300, 700));

struct t_delete_case {
    const char* name;
    int cell;
    bool answer;
    t_result result;
    t_lines lines_after;
};
void PrintTo(const t_delete_case& c, std::ostream* os) {
    *os << c.name;
}

class DeleteCell : public CardCommands, public ::testing::WithParamInterface<t_delete_case> {};

TEST_P(DeleteCell, AsksThenMarksTheCell) {
    const t_delete_case& c = GetParam();
    const std::vector<uint8_t> image = six_cell_card();
    use_sim(image);
    list_card();
    view.selected = c.cell;
    dialogs.answers = {c.answer};

    EXPECT_EQ(commands->delete_dev(), c.result);
    EXPECT_EQ(boxes(), t_event_log{delete_question});
    std::vector<uint8_t> expected = image;
    if (c.answer) {
        expected[c.cell * cell_size] = cell_deleted_mark;
        EXPECT_EQ(port_events(), (t_event_log{"open 0x378", "close"}));
        EXPECT_LT(at(delete_question), at("open 0x378"));
    } else {
        EXPECT_TRUE(port_events().empty());
    }
    EXPECT_EQ(sim->reader().image(), expected);
    EXPECT_EQ(view.lines, c.lines_after);
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(
    CardCommands, DeleteCell,
    ::testing::Values(t_delete_case{"Yes",
                                    0,
                                    true,
                                    t_result::done,
                                    {"Удалено", "-", "Удалено", "0065535 (3T3V)", "-", "-"}},
                      t_delete_case{"No", 0, false, t_result::declined, six_cell_lines},
                      t_delete_case{"AlreadyDeletedIsMarkedAgain", 2, true, t_result::done,
                                    six_cell_lines}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardCommands, DeleteThatCannotBeVerifiedIsReportedAndTheListRefreshed) {
    t_sim_reader_faults faults;
    faults.absent_cells = 1 << 4;
    use_sim(six_cell_card(), 0x378, faults);
    list_card();
    view.selected = 4;
    dialogs.answers = {true};

    EXPECT_EQ(commands->delete_dev(), t_result::failed);
    EXPECT_EQ(boxes(), (t_event_log{delete_question,
                                    "error: Ошибка при очистке ячейки:\nОшибка установки флага "
                                    "удаления ячейки: записанные и считанные данные не "
                                    "совпадают!"}));
    EXPECT_LT(at("listed: " + std::string("0001234 (2T4V)|-|Удалено|0065535 (3T3V)|-|-")),
              at("close"));
    expect_released();
}

class ClearCard : public CardCommands, public ::testing::WithParamInterface<bool> {};

TEST_P(ClearCard, ReadsTheCardThenAsks) {
    const bool answer = GetParam();
    const std::vector<uint8_t> image = six_cell_card();
    use_sim(image);
    list_card();
    dialogs.answers = {answer};

    EXPECT_EQ(commands->clear_card(), answer ? t_result::done : t_result::declined);
    EXPECT_EQ(boxes(), t_event_log{clear_question});
    EXPECT_EQ(port_events(), (t_event_log{"open 0x378", "close"}));
    // The list behind the question shows the card as it is now.
    EXPECT_LT(at("listed: 0001234 (2T4V)|-|Удалено|0065535 (3T3V)|-|-"), at(clear_question));
    std::vector<uint8_t> expected = image;
    if (answer) {
        for (int cell = 0; cell < card_max_cells; ++cell) {
            expected[cell * cell_size] = cell_deleted_mark;
        }
        EXPECT_EQ(view.lines, t_lines(6, "Удалено"));
        EXPECT_EQ(std::count(events.begin(), events.end(), "waiting"), 2);
    } else {
        EXPECT_EQ(view.lines, six_cell_lines);
        EXPECT_EQ(std::count(events.begin(), events.end(), "waiting"), 1);
    }
    EXPECT_TRUE(view.list_visible);
    EXPECT_EQ(sim->reader().image(), expected);
    expect_released();
}

INSTANTIATE_TEST_SUITE_P(CardCommands, ClearCard, ::testing::Bool());

TEST_F(CardCommands, ClearOfAThreeCellCardSucceedsThoughTheMissingCellsFailTheirCheck) {
    use_sim(card_image({device_cell(1234, 0xFF), empty_cell(), device_cell(77, 0xA8)}));
    list_card();
    dialogs.answers = {true};

    EXPECT_EQ(commands->clear_card(), t_result::done);
    EXPECT_EQ(boxes(), t_event_log{clear_question});
    EXPECT_EQ(view.lines, t_lines(3, "Удалено"));
    expect_released();
}

TEST_F(CardCommands, ClearAfterPickingAnotherPortReadsThatPortFirst) {
    use_sim(six_cell_card(), 0x378);
    list_card();
    commands->set_port_entry(1);
    dialogs.answers = {false};

    EXPECT_EQ(commands->clear_card(), t_result::declined);
    EXPECT_EQ(events,
              (t_event_log{"open 0x278", "waiting", "clear list", clear_question, "close"}));
    EXPECT_FALSE(commands->is_card_identified());
    expect_released();
}

// An exception inside any command still leaves the port closed with the card off.
struct t_throw_case {
    const char* name;
    t_card_command_result (t_card_commands::*command)();
    int write;
};
void PrintTo(const t_throw_case& c, std::ostream* os) {
    *os << c.name;
}

class ExceptionInCommand : public CardCommands,
                           public ::testing::WithParamInterface<t_throw_case> {};

TEST_P(ExceptionInCommand, ReleasesThePort) {
    const t_throw_case& c = GetParam();
    use_sim(six_cell_card());
    list_card();
    dialogs.answers = {true};
    port->throw_at_write(c.write);

    EXPECT_THROW(((*commands).*c.command)(), std::runtime_error);
    EXPECT_TRUE(data_files().empty());
    expect_released();
    // The next command runs normally.
    port->throw_at_write(0);
    EXPECT_EQ(commands->read_title(), t_result::done);
}

INSTANTIATE_TEST_SUITE_P(
    CardCommands, ExceptionInCommand,
    ::testing::Values(t_throw_case{"Scan", &t_card_commands::scan_for_card, 500},
                      t_throw_case{"ListRefresh", &t_card_commands::read_title, 500},
                      t_throw_case{"Read", &t_card_commands::read_dev, 5000},
                      t_throw_case{"Delete", &t_card_commands::delete_dev, 500},
                      t_throw_case{"Clear", &t_card_commands::clear_card, 500}),
    [](const auto& info) { return std::string(info.param.name); });

// While a read lets messages through, no other card command may start.
TEST_F(CardCommands, ACommandStartedWhileAnotherRunsIsRefused) {
    use_sim(card_image({device_cell(1234, 0xFF)}));
    list_card();
    std::vector<t_result> intruders;
    bool busy_seen = false;
    set_message_processor([&] {
        if (++message_rounds != 1) {
            return;
        }
        busy_seen = commands->is_busy();
        const size_t events_before = events.size();
        intruders = {commands->scan_for_card(), commands->read_title(), commands->read_dev(),
                     commands->delete_dev(), commands->clear_card()};
        EXPECT_EQ(events.size(), events_before);
        request_user_break();
    });

    EXPECT_EQ(commands->read_dev(), t_result::stopped);
    EXPECT_TRUE(busy_seen);
    EXPECT_EQ(intruders, std::vector<t_result>(5, t_result::refused));
    EXPECT_EQ(port->opens, 2);
    EXPECT_NE(log_text().find("\"Поиск карты\" не запущена"), std::string::npos);
    expect_released();
}

}  // namespace
