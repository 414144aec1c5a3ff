// h_trelmo-cli run in-process: commands, options, questions, messages and exit statuses.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <locale>
#include <sstream>

#include "app/U_program_start.h"
#include "app/cli/cli_main.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "device/cell_image_builder.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

const std::string decode_error =
    "При декодеровке данных, полученных с карты, произошла ошибка, возможно, данные не "
    "корректны!";

// Answers typed on a "terminal": a pipe whose read end the run reads.
class t_typed_answers {
  public:
    explicit t_typed_answers(const std::string& typed) {
#ifdef _WIN32
        EXPECT_EQ(_pipe(fds_, 4096, _O_BINARY), 0);
#else
        EXPECT_EQ(pipe(fds_), 0);
#endif
        EXPECT_EQ(write(fds_[1], typed.data(), static_cast<unsigned>(typed.size())),
                  static_cast<int>(typed.size()));
        close(fds_[1]);
    }
    ~t_typed_answers() {
        close(fds_[0]);
    }
    int fd() const {
        return fds_[0];
    }

  private:
    int fds_[2] = {-1, -1};
};

struct t_cli_result {
    int status;
    std::string out;
    std::string err;
};

class t_cli : public t_test_env {
  protected:
    // One run of the tool; `typed` (when given) are the answers typed on a terminal.
    t_cli_result run(std::vector<std::string> args, const char* typed = nullptr,
                     bool colour = false) {
        args.insert(args.begin(), "h_trelmo-cli");
        std::ostringstream out, err;
        std::optional<t_typed_answers> answers;
        if (typed != nullptr) {
            answers.emplace(typed);
        }
        const t_cli_io io{out, err, answers ? answers->fd() : -1, answers.has_value(), colour};
        clock.advance_ms(1);  // every run gets a log file of its own
        t_hlog log;
        const int status = cli_run(args, io, log);
        return {status, out.str(), err.str()};
    }

    std::string write_image(const std::vector<uint8_t>& image, const std::string& name) {
        const std::string path = temp.file(name);
        write_file_bytes(path, std::string(image.begin(), image.end()));
        return path;
    }

    // Device 1234, format 2T4V, three records on two days.
    std::string good_image() {
        t_cell_image_builder cell;
        cell.record_format(0xFF).device_number(1234);
        cell.record(0, 5, 3, 10, 23).record(1, 5, 3, 10, 5).record(2, 6, 3, 10, 0);
        return write_image(cell.image, "cell.bin");
    }

    std::string data_dir() const { return program_data_dir(); }

    std::vector<std::string> data_files() const {
        std::vector<std::string> files;
        for (const std::string& name : list_dir(data_dir())) {
            if (name.ends_with(".z7m")) {
                files.push_back(name);
            }
        }
        return files;
    }

    static t_zor73_process load(const std::string& path) {
        t_zor73_process p;
        EXPECT_TRUE(p.load_from_file(path)) << path;
        return p;
    }
};

TEST_F(t_cli, DecodeHourlyToANamedFile) {
    const std::string out_file = temp.file("out.z7m");
    const t_cli_result r = run({"decode", good_image(), "--hourly", "-o", out_file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, out_file + "\n");
    EXPECT_EQ(r.err, "");
    const t_zor73_process p = load(out_file);
    EXPECT_EQ(p.header.archive_kind, 7);
    EXPECT_EQ(p.header.device_number, 1234);
    ASSERT_EQ(p.records.size(), 3u);
    EXPECT_EQ(p.records[0].hour, 5);
}

TEST_F(t_cli, DecodeIsDailyByDefaultAndSavesIntoTheDataFolder) {
    const t_cli_result r = run({"decode", good_image()});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(data_files().size(), 1u);
    EXPECT_TRUE(data_files()[0].ends_with("__n_00001234__day.z7m"));
    EXPECT_EQ(r.out, data_dir() + data_files()[0] + "\n");
    EXPECT_EQ(load(data_dir() + data_files()[0]).records.size(), 2u);
}

TEST_F(t_cli, DecodeIntoAGivenFolderNamesTheFile) {
    fs::create_directory(temp.file("out"));
    const t_cli_result r = run({"decode", good_image(), "--hourly", "-o", temp.file("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> files = list_dir(temp.file("out"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], "2010.04.01__09-05-07-043__n_00001234__hour.z7m");
    EXPECT_EQ(r.out, temp.file("out") + native_separator() + files[0] + "\n");
}

TEST_F(t_cli, DeviceNumber65535IsWarnedAboutAndStillSaved) {
    t_cell_image_builder cell;  // an erased header: device number 65535
    cell.record(0, 1, 1, 10, 0);
    const t_cli_result r = run({"decode", write_image(cell.image, "cell.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Предупреждение! Считанный номер ПУ 65535."), std::string::npos);
    EXPECT_EQ(data_files().size(), 1u);
}

struct t_replace_case {
    const char* name;
    bool yes_option;
    const char* typed;  // nullptr: no terminal
    int status;
    bool replaced;
};

class t_cli_replace : public t_cli, public ::testing::WithParamInterface<t_replace_case> {};

TEST_P(t_cli_replace, AnExistingFileIsReplacedOnlyWhenConfirmed) {
    const t_replace_case& c = GetParam();
    const std::string out_file = temp.file("out.z7m");
    write_file_bytes(out_file, "old");
    std::vector<std::string> args = {"decode", good_image(), "-o", out_file};
    if (c.yes_option) {
        args.push_back("--yes");
    }
    const t_cli_result r = run(args, c.typed);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find("Замена файла! Файл уже существует:\n" + out_file), std::string::npos);
    EXPECT_EQ(read_file_bytes(out_file) != "old", c.replaced);
    EXPECT_EQ(r.out, c.replaced ? out_file + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, t_cli_replace,
    ::testing::Values(t_replace_case{"NoTerminalMeansNo", false, nullptr, 1, false},
                      t_replace_case{"TypedYes", false, "д\n", 0, true},
                      t_replace_case{"TypedYesInLatin", false, " y \n", 0, true},
                      t_replace_case{"TypedNo", false, "нет\n", 1, false},
                      t_replace_case{"EndOfInput", false, "", 1, false},
                      t_replace_case{"YesOption", true, nullptr, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct t_failure_case {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the test's temporary folder
    int status;
    std::string message;  // part of the error output; "@" as above
};

class t_cli_failures : public t_cli, public ::testing::WithParamInterface<t_failure_case> {
  protected:
    std::string in_temp(std::string text) const {
        for (size_t at; (at = text.find('@')) != std::string::npos;) {
            text.replace(at, 1, temp.path());
        }
        return text;
    }
};

TEST_P(t_cli_failures, GiveOneClearMessageAndNoOutput) {
    const t_failure_case& c = GetParam();
    write_file_bytes(temp.file("short.bin"), std::string(100, '\0'));
    write_file_bytes(temp.file("plain"), "a file where a folder belongs");
    t_cell_image_builder bad_date;
    bad_date.record(0, 1, 1, 10, 0).record(7, 31, 2, 10, 0);
    write_image(bad_date.image, "bad_date.bin");
    good_image();
    write_file_bytes(temp.file("random.z7m"), "\x13\x99\xFE random bytes shorter than a header");
    write_file_bytes(temp.file("huge.z7m"), "");
    fs::resize_file(temp.file("huge.z7m"), uintmax_t{1} << 32);
    fs::create_directory(temp.file("folder.z7m"));

    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        args.push_back(in_temp(arg));
    }
    const t_cli_result r = run(args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(in_temp(c.message)), std::string::npos) << r.err;
    EXPECT_TRUE(data_files().empty());
    EXPECT_FALSE(file_exists(temp.file("out.z7m")));
}

INSTANTIATE_TEST_SUITE_P(
    BadInputs, t_cli_failures,
    ::testing::Values(
        t_failure_case{"ImageOfWrongSize",
                       {"decode", "@/short.bin"},
                       2,
                       "Размер образа ячейки должен быть 32768 байт, а файл @/short.bin имеет "
                       "размер 100 байт"},
        t_failure_case{"MissingImage",
                       {"decode", "@/none.bin"},
                       2,
                       "Файл образа ячейки не найден: @/none.bin"},
        t_failure_case{"FolderAsImage", {"decode", "@"}, 2, "должен быть файлом"},
        t_failure_case{"InvalidRecordDate",
                       {"decode", "@/bad_date.bin", "-o", "@/out.z7m"},
                       1,
                       "Ошибка! " + decode_error},
        t_failure_case{"UnwritableOutput",
                       {"decode", "@/cell.bin", "-o", "@/plain/out.z7m"},
                       1,
                       "Ошибка! Ошибка сохранения файла: @/plain/out.z7m"},
        t_failure_case{"DailyAndHourly",
                       {"decode", "@/cell.bin", "--daily", "--hourly"},
                       2,
                       "исключают друг друга"},
        t_failure_case{
            "UnknownOption", {"decode", "@/cell.bin", "--fast"}, 2, "Неизвестный параметр: --fast"},
        t_failure_case{"MissingImageOperand", {"decode"}, 2, "Не указан файл образа ячейки"},
        t_failure_case{
            "ExtraOperand", {"decode", "@/cell.bin", "more"}, 2, "Лишний аргумент: more"},
        t_failure_case{"OptionWithoutValue",
                       {"decode", "@/cell.bin", "-o"},
                       2,
                       "Для параметра -o не указано значение"},
        t_failure_case{"UnknownCommand", {"frobnicate"}, 2, "Неизвестная команда: frobnicate"},
        t_failure_case{"NoCommand", {}, 2, "Не указана команда"},
        t_failure_case{"PortNotInTheList",
                       {"--port=0x123", "show", "@/x.z7m"},
                       2,
                       "Недопустимый адрес порта в --port: 0x123"},
        t_failure_case{"NoiseOutOfRange", {"--sim-noise=1.5", "show", "@/x.z7m"}, 2, "--sim-noise"},
        t_failure_case{"ShowRandomBytes",
                       {"show", "@/random.z7m"},
                       2,
                       "Ошибка загрузки файла: @/random.z7m\nОшибка при считывании файла данных"},
        t_failure_case{"ShowAbsurdSize",
                       {"show", "@/huge.z7m"},
                       2,
                       "Файл слишком велик для файла данных: @/huge.z7m"},
        t_failure_case{
            "ShowFolder", {"show", "@/folder.z7m"}, 2, "Ошибка загрузки файла: @/folder.z7m"},
        t_failure_case{"ShowUnknownFormat",
                       {"show", "@/random.z7m", "--format=xml"},
                       2,
                       "Неизвестный формат вывода: xml"},
        t_failure_case{"CompareMissingSecond",
                       {"compare", "@/random.z7m", "@/none.z7m"},
                       2,
                       "Ошибка загрузки файла: @/random.z7m"},
        t_failure_case{"CompareOneFile",
                       {"compare", "@/random.z7m"},
                       2,
                       "Нужны два файла данных для сравнения"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(t_cli, AnUncreatableDataFolderIsReportedAndNothingIsWritten) {
    fs::create_directories(system_dir);
    write_file_bytes(data_dir().substr(0, data_dir().size() - 1), "a file where a folder belongs");
    const t_cli_result r = run({"decode", good_image()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ошибка! Ошибка создания каталога: " + data_dir()), std::string::npos);
    EXPECT_EQ(r.out, "");
}

TEST_F(t_cli, EveryRunLeavesItsLogWithTheMessages) {
    run({"decode", temp.file("none.bin")});
    run({"--help"});
    const std::string logs = program_logs_dir();
    std::vector<std::string> log_files;
    for (const std::string& name : list_dir(logs)) {
        if (name.ends_with(".log")) {
            log_files.push_back(name);
        }
    }
    ASSERT_EQ(log_files.size(), 2u);
    const std::string first = cp1251_to_utf8(read_file_bytes(logs + log_files[0]));
    EXPECT_NE(first.find("open log; "), std::string::npos);
    EXPECT_NE(first.find("[dialog_error]\tОшибка!\tФайл образа ячейки не найден: "),
              std::string::npos);
    EXPECT_NE(first.find("Код завершения: 2"), std::string::npos);
}

// An archive with values that show the number format: 2.5, 0.1, 1e20, -103.
t_zor73_process sample_archive() {
    t_zor73_process p;
    p.header.archive_kind = 0;
    p.header.device_number = 1234;
    p.header.record_format = 0xAA;
    p.header.head_word = 4660;
    p.header.read_time = to_ole_date({2010, 4, 1, 13, 5, 7, 42});
    p.header.head1 = 2.5f;
    HData r;
    r.date_text = "05.03.2010";
    r.hour = 23;
    r.value1 = 2.5f;
    r.t_ch1 = 0.1f;
    r.v_ch4 = 1e20f;
    r.aux1 = -103.0f;
    p.records.push_back(r);
    r.date_text = "06.03.2010";
    r.hour = 0;
    p.records.push_back(r);
    return p;
}

// A locale that writes "1.234,5": the output must not change with it.
struct t_comma_numpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class t_cli_show : public t_cli {
  protected:
    t_cli_show() {
        EXPECT_TRUE(sample_archive().save_to_file(temp.file("a.z7m")));
        std::locale::global(std::locale(std::locale::classic(), new t_comma_numpunct));
    }
    ~t_cli_show() override { std::locale::global(std::locale::classic()); }
};

TEST_F(t_cli_show, CsvHasAHeaderRowAndDotDecimals) {
    const t_cli_result r = run({"show", temp.file("a.z7m"), "--format=csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "date_text,hour,value1,value2,t_ch1,t_ch2,t_ch3,t_ch4,v_ch1,v_ch2,v_ch3,v_ch4,"
              "aux1,aux2\n"
              "05.03.2010,23,2.5,0,0.1,0,0,0,0,0,0,1e+20,-103,0\n"
              "06.03.2010,0,2.5,0,0.1,0,0,0,0,0,0,1e+20,-103,0\n");
}

TEST_F(t_cli_show, JsonHasTheHeaderFieldsAndTheRecords) {
    const t_cli_result r = run({"show", temp.file("a.z7m"), "--format", "json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"header\": {\"archive_kind\": 0, \"device_number\": 1234, "
                         "\"record_format\": 170, \"head_word\": 4660, \"read_time\": "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"read_time_text\": \"01.04.2010 13:05:07.042\", \"head1\": 2.5"),
              std::string::npos);
    EXPECT_NE(r.out.find("{\"date_text\": \"06.03.2010\", \"hour\": 0, \"value1\": 2.5, "
                         "\"value2\": 0, \"t_ch1\": 0.1,"),
              std::string::npos);
    EXPECT_TRUE(r.out.ends_with("\"aux2\": 0}\n  ]\n}\n"));
}

TEST_F(t_cli_show, TextHasRussianLabelsAndARecordTable) {
    const t_cli_result r = run({"show", temp.file("a.z7m")});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* part :
         {"Вид архива:         суточный (0)\n", "Номер ПУ:           1234\n",
          "Формат записей:     0xAA (3T3V)\n", "Время считывания:   01.04.2010 13:05:07.042\n",
          "Записей:            2\n", "Дата  Час  Знач.1", "05.03.2010   23     2.5"}) {
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    }
}

TEST_F(t_cli_show, DataThatCannotBeWrittenIsAFailure) {
    std::ostream broken(nullptr);  // every write fails
    std::ostringstream err;
    t_hlog log;
    const t_cli_io io{broken, err, -1, false, false};
    EXPECT_EQ(cli_run({"h_trelmo-cli", "show", temp.file("a.z7m")}, io, log), 1);
    EXPECT_NE(err.str().find("Ошибка вывода данных"), std::string::npos);
}

TEST_F(t_cli, CompareEqualAndDifferentFiles) {
    ASSERT_TRUE(sample_archive().save_to_file(temp.file("a.z7m")));
    t_zor73_process other = sample_archive();
    other.header.read_time += 1;  // not compared
    ASSERT_TRUE(other.save_to_file(temp.file("b.z7m")));
    other.header.device_number = 1;
    other.records[1].t_ch1 = 0.2f;
    ASSERT_TRUE(other.save_to_file(temp.file("c.z7m")));

    const t_cli_result equal = run({"compare", temp.file("a.z7m"), temp.file("b.z7m")});
    EXPECT_EQ(equal.status, 0);
    EXPECT_EQ(equal.out,
              "Сравнение заголовков\nСравнение архивов\nСравнение кол-ва записей\n"
              "Сравнение данных записей\n");

    const t_cli_result different = run({"compare", temp.file("a.z7m"), temp.file("c.z7m")});
    EXPECT_EQ(different.status, 1);
    EXPECT_EQ(different.out,
              "Сравнение заголовков\nОшибка сравнения!\nСравнение архивов\n"
              "Сравнение кол-ва записей\nСравнение данных записей\n"
              "Найдены различия запись: №1, время записи: dt1 = 06.03.2010 dt2 =06.03.2010\n");

    const t_cli_result coloured =
        run({"compare", temp.file("a.z7m"), temp.file("c.z7m")}, nullptr, true);
    EXPECT_NE(coloured.out.find("\x1b[31mОшибка сравнения!\x1b[0m\n"), std::string::npos);
}

TEST_F(t_cli, HelpForTheToolAndEveryCommand) {
    const t_cli_result tool = run({"--help"});
    EXPECT_EQ(tool.status, 0);
    for (const char* synopsis : {"decode IMAGE [--daily|--hourly] [-o PATH] [--yes]",
                                 "show FILE [--format=text|csv|json]", "compare FILE1 FILE2"}) {
        EXPECT_NE(tool.out.find(synopsis), std::string::npos) << synopsis;
    }
    for (const char* command : {"decode", "show", "compare"}) {
        const t_cli_result help = run({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with("Использование: h_trelmo-cli [ОБЩИЕ ПАРАМЕТРЫ] " +
                                         std::string(command)))
            << help.out;
        EXPECT_EQ(run({"help", command}).out, help.out);
    }
}

}  // namespace
