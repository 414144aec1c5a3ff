// The tool's card commands run in-process on simulated card images made by make-card:
// what they print, what they change in the image file, the files they save, the log and
// the bus trace they leave, and the settings they read and write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/U_program_start.h"
#include "app/U_program_termination.h"
#include "app/cli/cli_main.h"
#include "card/simulator/demo_card.h"
#include "common/hunits/Uhinifiles.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "support/child_process.h"
#include "support/test_env.h"
#include "support/vcd_i2c.h"

namespace {

namespace fs = std::filesystem;

using t_bytes = std::vector<uint8_t>;

// The demo card of make-card's default content, as the device list shows it.
const std::string six_cell_list = "0021049 (2T4V)\n0012391 (3T3V)\n-\n0011659 (4T4V)\nУдалено\n-\n";
const std::string three_cell_list = "0021049 (2T4V)\n0012391 (3T3V)\n0011659 (4T4V)\n";

struct t_run {
    int status;
    std::string out;
    std::string err;
};

class CliCard : public t_test_env {
  protected:
    // One run of the tool; `typed`: the answers typed on a terminal (none: no terminal).
    t_run run(std::vector<std::string> args, const char* typed = nullptr) {
        args.insert(args.begin(), "h_trelmo-cli");
        std::ostringstream out, err;
        int fds[2] = {-1, -1};
        if (typed != nullptr) {
            EXPECT_EQ(::pipe(fds), 0);
            EXPECT_EQ(::write(fds[1], typed, std::strlen(typed)),
                      static_cast<ssize_t>(std::strlen(typed)));
            ::close(fds[1]);
        }
        const t_cli_io io{out, err, fds[0], typed != nullptr};
        clock.advance_ms(1);  // a log file of its own for every run
        t_hlog log;
        const int status = cli_run(args, io, log);
        last_log = cp1251_to_utf8(read_file_bytes(log.get_log_file_name()));
        if (fds[0] >= 0) {
            ::close(fds[0]);
        }
        return {status, out.str(), err.str()};
    }

    // A card image made by make-card.
    std::string make_card(int cells = 6) {
        const std::string path = temp.file("card" + std::to_string(cells) + ".bin");
        const t_run r = run({"make-card", path, "--cells=" + std::to_string(cells)});
        EXPECT_EQ(r.status, 0) << r.err;
        return path;
    }
    static t_bytes bytes_of(const std::string& path) {
        const std::string text = read_file_bytes(path);
        return t_bytes(text.begin(), text.end());
    }
    static t_bytes cell_of(const t_bytes& card, int cell) {
        return t_bytes(card.begin() + cell * 32768, card.begin() + (cell + 1) * 32768);
    }
    std::vector<std::string> files_in(const std::string& dir, const std::string& ending) const {
        std::vector<std::string> found;
        for (const std::string& name : list_dir(dir)) {
            if (name.ends_with(ending)) {
                found.push_back(normalize_dir_name(dir) + name);
            }
        }
        return found;
    }
    std::vector<std::string> card_dumps() const {
        return files_in(program_logs_dir(), "card_readed.bin");
    }
    int stored_port_entry() {
        hini.set_file_name(ini_file);
        return hini.read_int("MAIN", "cb_port_list", -1, 0, 0);
    }

    std::string last_log;
};

// Every text of `parts` occurs in `text`, in this order.
::testing::AssertionResult in_order(const std::string& text,
                                    const std::vector<std::string>& parts) {
    size_t at = 0;
    for (const std::string& part : parts) {
        const size_t found = text.find(part, at);
        if (found == std::string::npos) {
            return ::testing::AssertionFailure() << "\"" << part << "\" missing after " << at;
        }
        at = found + part.size();
    }
    return ::testing::AssertionSuccess();
}

class ScanOnPort : public CliCard, public ::testing::WithParamInterface<int> {};

TEST_P(ScanOnPort, FindsTheCardWhereItSitsAndStoresThatPort) {
    const int entry = GetParam();
    const std::string card = make_card();
    const std::string sim_port =
        std::vector<std::string>{"0x378", "0x278", "0x3BC", "0x9800"}[entry];
    const std::string simulate = "--simulate=" + card;

    const t_run scan = run({simulate, "--sim-port=" + sim_port, "scan"});
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(scan.out, six_cell_list);
    EXPECT_EQ(scan.err, "");
    EXPECT_EQ(stored_port_entry(), entry);
    // The one setting the tool writes.
    EXPECT_EQ(read_file_bytes(ini_file),
              "[MAIN]\r\ncb_port_list=" + std::to_string(entry) + "\r\n");

    // A list without --port reads that port; any other port shows no card.
    const t_run list = run({simulate, "--sim-port=" + sim_port, "list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, six_cell_list);
    const std::string other = entry == 0 ? "0x278" : "0x378";
    const t_run elsewhere = run({simulate, "--sim-port=" + sim_port, "--port=" + other, "list"});
    EXPECT_EQ(elsewhere.status, 1);
    EXPECT_EQ(elsewhere.out, "");
    EXPECT_EQ(elsewhere.err, "Ошибка! Ошибка считывания списка ПУ\n");
    EXPECT_EQ(stored_port_entry(), entry);
}

INSTANTIATE_TEST_SUITE_P(CliCard, ScanOnPort, ::testing::Values(0, 1, 2, 3));

TEST_F(CliCard, ScanWithoutCardChangesNoSetting) {
    const std::string card = make_card();
    // A card whose chips are all erased: no port holds a card with data.
    write_file_bytes(card, std::string(6 * 32768, '\xFF'));
    const t_run r = run({"--simulate=" + card, "scan"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Ошибка! Карта не найдена!\n");
    EXPECT_FALSE(file_exists(ini_file));
}

// The read: where the file goes and whether it is daily decide its name.
struct t_read_case {
    const char* name;
    std::string ini;                 // settings file content
    std::vector<std::string> extra;  // options after "read 1"; "OUT" is the temp folder
    const char* folder;              // where the file is expected: "OUT" or "DATA"
    const char* ending;
    bool daily;
};
void PrintTo(const t_read_case& c, std::ostream* os) {
    *os << c.name;
}

class CliRead : public CliCard, public ::testing::WithParamInterface<t_read_case> {};

TEST_P(CliRead, SavesTheDecodedCellAndDumpsBothReads) {
    const t_read_case& c = GetParam();
    const std::string card = make_card();
    const std::string out_dir = temp.file("out");
    const std::string data_dir = temp.file("data");
    fs::create_directory(out_dir);
    write_file_bytes(ini_file, "[MAIN]\r\ndata_file_dir_name=" + data_dir + "\r\n" + c.ini);
    std::vector<std::string> args = {"--simulate=" + card, "--port=0x378", "read", "1"};
    for (const std::string& arg : c.extra) {
        args.push_back(arg == "OUT" ? out_dir : arg == "OUT_FILE" ? out_dir + "/a.z7m" : arg);
    }

    const t_run r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string dir = std::string(c.folder) == "OUT" ? out_dir : data_dir;
    const std::vector<std::string> saved = files_in(dir, ".z7m");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].ends_with(c.ending)) << saved[0];
    EXPECT_EQ(r.out, saved[0] + "\n");

    // The file is the decoding of the cell's bytes (stamped with the time of the read).
    const t_bytes cell = cell_of(bytes_of(card), 1);
    t_zor73_process got;
    ASSERT_TRUE(got.load_from_file(saved[0]));
    t_zor73_process expected;
    expected.decode_cell(cell, c.daily);
    expected.header.read_time = got.header.read_time;
    const t_bytes file = bytes_of(saved[0]);
    EXPECT_EQ(file, encode_data_file(expected));

    const std::vector<std::string> dumps = card_dumps();
    ASSERT_EQ(dumps.size(), 2u);
    for (const std::string& dump : dumps) {
        EXPECT_EQ(bytes_of(dump), cell) << dump;
    }
    EXPECT_EQ(read_file_bytes(ini_file),
              "[MAIN]\r\ndata_file_dir_name=" + data_dir + "\r\n" + c.ini);
}

INSTANTIATE_TEST_SUITE_P(
    CliCard, CliRead,
    ::testing::Values(
        t_read_case{"DailyIntoTheDataFolder", "", {}, "DATA", "__n_00012391__day.z7m", true},
        t_read_case{"HourlyFromTheSettings",
                    "CheckBox_to_days=0\r\n",
                    {},
                    "DATA",
                    "__n_00012391__hour.z7m",
                    false},
        t_read_case{
            "HourlyIntoAGivenFolder", "", {"--hourly", "-o", "OUT"}, "OUT", "__hour.z7m", false},
        t_read_case{"DailyIntoAGivenFile",
                    "CheckBox_to_days=0\r\n",
                    {"--daily", "-o", "OUT_FILE"},
                    "OUT",
                    "/a.z7m",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCard, ReadRefusesAnEmptyDataFolderBeforeTouchingTheCard) {
    const std::string card = make_card();
    write_file_bytes(ini_file, "[MAIN]\r\ndata_file_dir_name=\r\n");
    const t_run r = run({"--simulate=" + card, "read", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Ошибка! Не задан каталог для сохранения файлов данных\n");
    EXPECT_EQ(last_log.find("Считывание списка ПУ"), std::string::npos);
}

TEST_F(CliCard, ReadKeepsAnExistingFileUnlessAllowed) {
    const std::string card = make_card();
    const std::string target = temp.file("a.z7m");
    write_file_bytes(target, "old");
    const t_run no = run({"--simulate=" + card, "read", "0", "-o", target});
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(read_file_bytes(target), "old");
    EXPECT_NE(no.err.find("Заменить его? [д/н]: нет (нет терминала)"), std::string::npos);

    const t_run yes = run({"--simulate=" + card, "read", "0", "-o", target, "--yes"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(yes.out, target + "\n");
    t_zor73_process saved;
    EXPECT_TRUE(saved.load_from_file(target));
}

TEST_F(CliCard, NoisyReadFailsWithoutAFile) {
    const std::string card = make_card();
    const std::string data_dir = temp.file("data");
    write_file_bytes(ini_file, "[MAIN]\r\ndata_file_dir_name=" + data_dir + "\r\n");
    const t_run r = run({"--simulate=" + card, "--sim-noise=0.00002", "--sim-seed=3", "read", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Ошибка! Ошибка считывания: Данные полученные при повторном считывании "
                         "отличаются"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(list_dir(data_dir).empty());
}

struct t_delete_case {
    const char* name;
    std::vector<std::string> options;
    const char* typed;
    bool deleted;
};
void PrintTo(const t_delete_case& c, std::ostream* os) {
    *os << c.name;
}

class CliDelete : public CliCard, public ::testing::WithParamInterface<t_delete_case> {};

TEST_P(CliDelete, ChangesOnlyTheCellsFirstByteWhenConfirmed) {
    const t_delete_case& c = GetParam();
    const std::string card = make_card();
    const t_bytes before = bytes_of(card);
    std::vector<std::string> args = {"--simulate=" + card, "delete", "1"};
    args.insert(args.end(), c.options.begin(), c.options.end());

    const t_run r = run(args, c.typed);
    t_bytes expected = before;
    std::string list = six_cell_list;
    if (c.deleted) {
        expected[32768] = 0xAA;
        list.replace(list.find("0012391 (3T3V)"), 14, "Удалено");
    }
    EXPECT_EQ(r.status, c.deleted ? 0 : 1) << r.err;
    EXPECT_EQ(bytes_of(card), expected);
    EXPECT_EQ(r.out, list);
    EXPECT_NE(r.err.find("Удаление данных ячейки! Вы уверены, что хотите удалить данные выбранной "
                         "ячейки карты? [д/н]: "),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(CliCard, CliDelete,
                         ::testing::Values(t_delete_case{"Yes", {"--yes"}, nullptr, true},
                                           t_delete_case{"NoTerminal", {}, nullptr, false},
                                           t_delete_case{"TypedYes", {}, "д\n", true},
                                           t_delete_case{"TypedNo", {}, "н\n", false},
                                           t_delete_case{"EndOfInput", {}, "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCard, ClearOfAThreeCellCardMarksItsCellsAndLogsTheMissingOnes) {
    const std::string card = make_card(3);
    const t_bytes before = bytes_of(card);

    const t_run r = run({"--simulate=" + card, "clear", "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Удалено\nУдалено\nУдалено\n");
    t_bytes expected = before;
    for (int cell = 0; cell < 3; ++cell) {
        expected[cell * 32768] = 0xAA;
    }
    EXPECT_EQ(bytes_of(card), expected);
    const std::string failed = "Ошибка установки флага удаления ячейки";
    EXPECT_TRUE(
        in_order(last_log, {"Очистка карты", "Удаление ячейки 2", "Удаление ячейки 3", failed,
                            "Удаление ячейки 4", failed, "Удаление ячейки 5", failed}));
    EXPECT_FALSE(in_order(last_log, {"Удаление ячейки 0", failed, "Удаление ячейки 3"}));
}

TEST_F(CliCard, ClearDeclinedChangesNothing) {
    const std::string card = make_card(3);
    const t_bytes before = bytes_of(card);
    const t_run r = run({"--simulate=" + card, "clear"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, three_cell_list);
    EXPECT_EQ(bytes_of(card), before);
}

TEST_F(CliCard, TheLogOfAListHoldsTransfersDumpsAndClassificationInOrder) {
    const std::string card = make_card();
    ASSERT_EQ(run({"--simulate=" + card, "list"}).status, 0);
    EXPECT_TRUE(in_order(
        last_log,
        {"Считывание списка ПУ на карте", "Сканирование адресов, адрес 0xA4",
         "Чтение сигнатуры попытка 1 из 2", "Первичный запрос",
         "Чтение массива, слэйв адрес: 0xA4, смещение 0x0, кол-во байт: 0x3F.",
         "Считан массив:", "Считана сигнатура:", "Вторичный запрос", "Сигнатуры одинаковые",
         "Найден заголовок ПУ 21049 версия 2T4V", "адрес 0xA8", "Не найдено следов ПУ",
         "адрес 0xAC", "Сигнатура удалённого ПУ", "6 ячеек", "Код завершения: 0"}))
        << last_log;
}

TEST_F(CliCard, TheBusTraceOfAListDecodesIntoTheSignatureReads) {
    const std::string card = make_card();
    const std::string trace = temp.file("list.vcd");
    ASSERT_EQ(run({"--simulate=" + card, "--bus-trace=" + trace, "list"}).status, 0);

    const std::vector<std::string> tokens = decode_i2c(parse_vcd(read_file_bytes(trace)));
    // The first signature read of cell 0: address 0xA4, offset 0, read address 0xA5, then
    // the 63 signature bytes, each acknowledged by the program.
    std::vector<std::string> expected = {"S", "A4+", "00+", "00+", "S", "A5+"};
    const t_bytes image = bytes_of(card);
    for (int i = 0; i < 63; ++i) {
        expected.push_back(format_str("%02X+", image[i]));
    }
    ASSERT_GE(tokens.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(tokens.begin(), tokens.begin() + expected.size()), expected);
    // Every cell's signature is asked for at its read address.
    for (const char* address : {"A5+", "A7+", "A9+", "AB+", "AD+", "AF+"}) {
        EXPECT_NE(std::find(tokens.begin(), tokens.end(), address), tokens.end()) << address;
    }
}

TEST_F(CliCard, SimulateWithoutAFileUsesTheDemoCardMadeWhenMissing) {
    const t_run r = run({"--simulate", "list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, six_cell_list);
    EXPECT_EQ(bytes_of(program_data_dir() + "demo.card"), make_demo_card_image());
}

TEST_F(CliCard, PortsAndCellsOutsideTheListsAreUsageErrors) {
    const std::string card = make_card();
    const t_bytes before = bytes_of(card);
    const std::string simulate = "--simulate=" + card;
    const std::vector<std::vector<std::string>> command_lines = {
        {simulate, "--port=0x379", "list"},
        {simulate, "--port=0x3F8", "scan"},
        {simulate, "--sim-port=0x3F8", "scan"},
        {simulate, "read", "6"},
        {simulate, "read", "-1"},
        {simulate, "delete", "x"},
        {simulate, "delete", "12"},
        {simulate, "read"},
        {simulate, "read", "0", "1"},
        {simulate, "read", "0", "--daily", "--hourly"},
        {"make-card", temp.file("x.card"), "--cells=4"},
    };
    for (const auto& args : command_lines) {
        const t_run r = run(args);
        EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
        EXPECT_NE(r.err.find("Справка: h_trelmo-cli --help"), std::string::npos);
        EXPECT_EQ(last_log.find("Считывание списка ПУ"), std::string::npos);
    }
    EXPECT_EQ(bytes_of(card), before);
    EXPECT_FALSE(file_exists(temp.file("x.card")));
    EXPECT_FALSE(file_exists(ini_file));
}

TEST_F(CliCard, ACardOnACellTheCardDoesNotHaveIsReported) {
    const std::string card = make_card(3);
    const t_bytes before = bytes_of(card);
    const t_run r = run({"--simulate=" + card, "delete", "4", "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("На карте нет ячейки 4"), std::string::npos) << r.err;
    EXPECT_EQ(bytes_of(card), before);
}

// Ctrl+C that came before the command's long work is not forgotten when the work starts:
// a read or scan stops at its first check, a list finishes; each ends with status 130.
struct t_stop_case {
    const char* name;
    std::vector<std::string> args;
    std::string err;
    std::string out;
};
void PrintTo(const t_stop_case& c, std::ostream* os) {
    *os << c.name;
}

class CliStop : public CliCard, public ::testing::WithParamInterface<t_stop_case> {};

TEST_P(CliStop, CtrlCEndsWithStatus130AndTheLogWrittenOut) {
    const t_stop_case& c = GetParam();
    const std::string card = make_card();
    const std::string data_dir = temp.file("data");
    write_file_bytes(ini_file, "[MAIN]\r\ndata_file_dir_name=" + data_dir + "\r\n");
    std::vector<std::string> args = {"--simulate=" + card};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string out_file = temp.file("out.txt");
    const std::string err_file = temp.file("err.txt");

    // In a child: the stop signal stays recorded for the rest of the process.
    const int status = run_in_child([&] {
        install_termination_handlers();
        std::raise(SIGINT);
        const t_run r = run(args);
        write_file_bytes(out_file, r.out);
        write_file_bytes(err_file, r.err);
        write_file_bytes(temp.file("log.txt"), last_log);
        return r.status;
    });
    EXPECT_EQ(status, 130);
    EXPECT_EQ(read_file_bytes(out_file), c.out);
    EXPECT_NE(read_file_bytes(err_file).find(c.err), std::string::npos)
        << read_file_bytes(err_file);
    EXPECT_TRUE(list_dir(data_dir).empty());
    EXPECT_NE(read_file_bytes(temp.file("log.txt")).find("Код завершения: 130"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    CliCard, CliStop,
    ::testing::Values(
        t_stop_case{"Read", {"read", "0"}, "Информация! Прервано пользователем!\n", ""},
        t_stop_case{"Scan",
                    {"scan"},
                    "Информация! Прервано пользователем!\nОшибка! Карта не найдена!\n",
                    ""},
        t_stop_case{"ListFinishes", {"list"}, "", six_cell_list}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
