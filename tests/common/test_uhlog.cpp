#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/hunits/U_base_classes.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "support/test_env.h"

namespace {

// The file bytes of lines given in UTF-8: code page 1251, CR LF for every line feed.
std::string file_bytes(const std::string& utf8_lines) {
    std::string bytes;
    for (const char c : utf8_to_cp1251(utf8_lines)) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
}

// The source file of the log routines, as their program-error reports name it.
std::string log_module_path() {
    std::string path = __FILE__;
    const std::string this_file = "tests/common/test_uhlog.cpp";
    return path.replace(path.size() - this_file.size(), this_file.size(),
                        "common/hunits/uhlog.cpp");
}

// The virtual clock starts at 2010-04-01 09:05:07.042.
const std::string t0 = "09:05:07:042\t";

class Log : public t_test_env {
  protected:
    void open() {
        log.set_log_file_name(log_name);
        ASSERT_TRUE(log.open_log_file());
        log.set_file_out(true);
    }
    std::string contents() const { return read_file_bytes(log_name); }
    long line_count() const {
        const std::string bytes = contents();
        return std::count(bytes.begin(), bytes.end(), '\n');
    }

    std::string log_name = temp.file("test.log");
    t_hlog log;
};

TEST_F(Log, EachKindOfLineIsWrittenAsCp1251WithCrLf) {
    const uint8_t bytes[] = {0x0A, 0xFF, 0x10};
    struct t_case {
        const char* name;
        std::function<void(t_hlog&)> write;
        std::string expected;
    };
    const t_case cases[] = {
        {"text", [](t_hlog& l) { l.add_str_to_log("i", "Порт 0x378 открыт", 1); },
         t0 + "[i]\tПорт 0x378 открыт\n"},
        {"separator", [](t_hlog& l) { l.lbreak(1); },
         t0 + "[lbreak]\t" + std::string(75, '-') + "\n"},
        {"hex dump", [&](t_hlog& l) { l.add_hex_to_log("Считан массив:", bytes, 3, 1); },
         t0 + "[Считан массив:]\tcount= 3 data= 0A FF 10\n"},
        {"empty hex dump", [&](t_hlog& l) { l.add_hex_to_log("Считан массив:", bytes, 0, 1); },
         t0 + "[Считан массив:]\tcount= 0 data=\n"},
        {"line feeds inside", [](t_hlog& l) { l.add_str_to_log("e", "один\nдва\n", 1); },
         t0 + "[e]\tодин\nдва\n\n"},
        {"error box", [](t_hlog& l) { l.dialog_error("Файл не записан!\nДиск полон.", "Ошибка!"); },
         t0 + "[dialog_error]\tОшибка!\tФайл не записан!\nДиск полон.\n"},
        {"warning box", [](t_hlog& l) { l.dialog_warning("Номер ПУ 65535", "Предупреждение!"); },
         t0 + "[dialog_warning]\tПредупреждение!\tНомер ПУ 65535\n"},
        {"info box", [](t_hlog& l) { l.dialog_info("Готово «ок» №1", "Информация!"); },
         t0 + "[dialog_info]\tИнформация!\tГотово «ок» №1\n"},
        {"not in the code page", [](t_hlog& l) { l.add_str_to_log("i", "a日b€", 1); },
         t0 + "[i]\ta?b€\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file_bytes(log_name, "");
        t_hlog fresh;
        fresh.set_log_file_name(log_name);
        ASSERT_TRUE(fresh.open_log_file());
        fresh.set_file_out(true);
        c.write(fresh);
        fresh.flush_log_buffer();
        EXPECT_EQ(read_file_bytes(log_name), file_bytes(c.expected));
    }
}

TEST_F(Log, QuestionLogsTheAnswerInExactBytes) {
    open();
    dialogs.answers = {true, false};
    EXPECT_TRUE(log.dialog_yes_no("Стереть?", "Вопрос"));
    EXPECT_FALSE(log.dialog_yes_no("Стереть?", "Вопрос"));
    log.flush_log_buffer();
    const std::string line =
        "09:05:07:042\t[dialog_yes_no]\t\xC2\xEE\xEF\xF0\xEE\xF1\t"
        "\xD1\xF2\xE5\xF0\xE5\xF2\xFC?\t result=";
    EXPECT_EQ(contents(), line + "\xC4\xC0\r\n" + line + "\xCD\xC5\xD2\r\n");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, t_dialog_kind::yes_no);
    EXPECT_EQ(dialogs.shown[0].text, "Стереть?");
    EXPECT_EQ(dialogs.shown[0].caption, "Вопрос");
}

// Shows the box by writing a line of its own, as other events may while a box is open.
class t_logging_presenter : public t_dialog_presenter {
  public:
    explicit t_logging_presenter(t_hlog& log) : log_(log) {}
    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override {
        log_.add_str_to_log("i", "box open", 1);
        return true;
    }

  private:
    t_hlog& log_;
};

TEST_F(Log, BoxesAreShownFirstAndLoggedAfterTheyClosed) {
    open();
    t_logging_presenter presenter(log);
    set_dialog_presenter(&presenter);
    log.dialog_info("Карта очищена", "Информация!");
    log.flush_log_buffer();
    EXPECT_EQ(contents(), file_bytes(t0 + "[i]\tbox open\n" + t0 +
                                     "[dialog_info]\tИнформация!\tКарта очищена\n"));
}

TEST_F(Log, WithoutAPresenterBoxesAreUnseenAndQuestionsAnswerNo) {
    open();
    set_dialog_presenter(nullptr);
    log.dialog_error("Ошибка чтения", "Ошибка!");
    EXPECT_FALSE(log.dialog_yes_no("Удалить?", "Удаление"));
    log.flush_log_buffer();
    EXPECT_EQ(contents(), file_bytes(t0 + "[dialog_error]\tОшибка!\tОшибка чтения\n" + t0 +
                                     "[dialog_yes_no]\tУдаление\tУдалить?\t result=НЕТ\n"));
}

TEST_F(Log, OpenLogLineNeedsGroupTwoOrAllAndHasNoPrefix) {
    open();
    log.add_open_log_str();  // only group 1 is on after construction
    log.flush_log_buffer();
    EXPECT_EQ(contents(), "");

    log.set_log_group(0, true);
    log.add_open_log_str();
    log.flush_log_buffer();
    EXPECT_EQ(contents(), file_bytes("2010.04.01 09:05:07:042\topen log" + get_system_info_str() +
                                     get_pc_name() + "\n"));
}

TEST_F(Log, LinesReachTheFileOnlyByTheirGroupOrGroupZero) {
    struct t_case {
        int enabled_group;
        bool written;
    };
    const t_case cases[] = {{0, true}, {5, true}, {6, false}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.enabled_group);
        write_file_bytes(log_name, "");
        t_hlog fresh;
        fresh.set_log_file_name(log_name);
        ASSERT_TRUE(fresh.open_log_file());
        fresh.set_file_out(true);
        fresh.set_log_group(1, false);
        fresh.set_log_group(c.enabled_group, true);
        fresh.add_str_to_log("i", "x", 5);
        fresh.flush_log_buffer();
        EXPECT_EQ(read_file_bytes(log_name).empty(), !c.written);
    }
}

TEST_F(Log, WithFileOutputOffNothingIsBuffered) {
    log.set_log_file_name(log_name);
    ASSERT_TRUE(log.open_log_file());
    log.set_log_group(0, true);
    log.add_str_to_log("i", "x", 1);
    log.set_file_out(true);  // lines dropped before stay dropped
    log.flush_log_buffer();
    EXPECT_EQ(contents(), "");
}

TEST_F(Log, ProgramErrorReportsOfMisuse) {
    struct t_case {
        const char* function;
        const char* message;
        std::function<void(t_hlog&)> misuse;
    };
    const t_case cases[] = {
        {"t_hlog::set_line_buffer_size", "Неправильный размер буфера!",
         [](t_hlog& l) { l.set_line_buffer_size(0); }},
        {"t_hlog::open_log_file", "Файл уже открыт!",
         [](t_hlog& l) {
             l.open_log_file();
             l.open_log_file();
         }},
        {"t_hlog::write_str_to_log_file", "Файл не открыт!",
         [](t_hlog& l) { l.write_str_to_log_file("x"); }},
        {"t_hlog::close_log_file", "Файл не открыт!",
         [](t_hlog& l) {
             l.open_log_file();
             l.close_log_file();
             l.close_log_file();
         }},
        {"t_hlog::test_log_group", "Недопустимый номер log_group!",
         [](t_hlog& l) { l.add_str_to_log("i", "x", 40); }},
        {"t_hlog::test_log_group", "Недопустимый номер log_group!",
         [](t_hlog& l) { l.out_str_to_log("x", -1); }},
        {"t_hlog::test_log_group", "Недопустимый номер log_group!",
         [](t_hlog& l) { l.set_log_group(40, true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function);
        t_hlog fresh;
        fresh.set_log_file_name(log_name);
        try {
            c.misuse(fresh);
            ADD_FAILURE() << "no report";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), "ОШИБКА В РАБОТЕ ПРОГРАММЫ:\n функция \"" +
                                                 std::string(c.function) + "\"\n модуль: \"" +
                                                 log_module_path() + "\"\nсообщение: \"" +
                                                 c.message + "\"");
        }
    }
}

TEST_F(Log, ARefusedLineChangesNothing) {
    open();
    EXPECT_THROW(log.set_line_buffer_size(0), Exception);
    EXPECT_THROW(log.add_str_to_log("i", "bad group", 40), Exception);
    for (int i = 0; i < 9; ++i) {
        log.add_str_to_log("i", std::to_string(i), 1);
    }
    EXPECT_EQ(contents(), "");
    log.add_str_to_log("i", "9", 1);  // the size is still 10, the bad line not counted
    EXPECT_EQ(line_count(), 10);
}

TEST_F(Log, NineLinesWaitAndTheTenthWritesAll) {
    open();
    for (int i = 0; i < 9; ++i) {
        log.add_str_to_log("i", std::to_string(i), 1);
        clock.advance_ms(100);
    }
    EXPECT_EQ(contents(), "");
    log.add_str_to_log("i", "9", 1);
    const std::string written = contents();
    EXPECT_EQ(line_count(), 10);
    EXPECT_TRUE(written.starts_with("09:05:07:042\t[i]\t0\r\n09:05:07:142\t[i]\t1\r\n"));
    EXPECT_TRUE(written.ends_with("\n09:05:07:942\t[i]\t9\r\n"));
}

TEST_F(Log, AnOldLineIsWrittenWhenTheNextArrives) {
    open();
    log.add_str_to_log("i", "first", 1);
    clock.advance_ms(1000);
    log.add_str_to_log("i", "second", 1);  // age 1000: not older than the period
    EXPECT_EQ(contents(), "");
    clock.advance_ms(1);
    log.add_str_to_log("i", "third", 1);
    EXPECT_EQ(contents(), file_bytes(t0 + "[i]\tfirst\n09:05:08:042\t[i]\tsecond\n" +
                                     "09:05:08:043\t[i]\tthird\n"));
    clock.advance_ms(2000);  // no timer: a waiting line stays until the next one
    log.add_str_to_log("i", "fourth", 1);
    clock.advance_ms(2000);
    EXPECT_EQ(line_count(), 3);
    log.add_str_to_log("i", "fifth", 1);
    EXPECT_EQ(line_count(), 5);
}

TEST_F(Log, DirectWriteCountWritesTheNextLinesAtOnce) {
    open();
    log.set_direct_write_count(2);
    log.add_str_to_log("i", "1", 1);
    EXPECT_EQ(line_count(), 1);
    log.add_str_to_log("i", "2", 1);
    EXPECT_EQ(line_count(), 2);
    log.add_str_to_log("i", "3", 1);
    EXPECT_EQ(line_count(), 2);
}

TEST_F(Log, AfterATickWrapLinesWaitForTheCountLimit) {
    open();
    clock.set_tick_count(0xFFFFFF00u);
    log.add_str_to_log("i", "before wrap", 1);
    clock.advance_ms(5000);  // the tick count wrapped to 4744
    for (int i = 0; i < 8; ++i) {
        log.add_str_to_log("i", "after wrap", 1);
    }
    EXPECT_EQ(contents(), "");
    log.add_str_to_log("i", "tenth", 1);
    EXPECT_EQ(line_count(), 10);
}

TEST_F(Log, BufferSizeOneWritesEveryLine) {
    open();
    log.set_line_buffer_size(1);
    log.add_str_to_log("i", "x", 1);
    EXPECT_EQ(contents(), file_bytes(t0 + "[i]\tx\n"));
}

TEST_F(Log, CloseAndDestructorWriteOutWaitingLines) {
    open();
    log.add_str_to_log("i", "closing", 1);
    EXPECT_TRUE(log.close_log_file());
    EXPECT_FALSE(log.is_file_opened());
    EXPECT_EQ(contents(), file_bytes(t0 + "[i]\tclosing\n"));

    const std::string other = temp.file("other.log");
    {
        t_hlog scoped;
        hlog = &scoped;
        scoped.set_log_file_name(other);
        ASSERT_TRUE(scoped.open_log_file());
        scoped.set_file_out(true);
        scoped.add_str_to_log("i", "at exit", 1);
    }
    EXPECT_EQ(read_file_bytes(other), file_bytes(t0 + "[i]\tat exit\n"));
    EXPECT_EQ(hlog, nullptr);  // the global pointer does not outlive the object
}

TEST_F(Log, OpenAppendsAndCreates) {
    write_file_bytes(log_name, "old\r\n");
    open();
    log.add_str_to_log("i", "new", 1);
    EXPECT_TRUE(log.close_log_file());
    EXPECT_EQ(contents(), "old\r\n" + file_bytes(t0 + "[i]\tnew\n"));

    const std::string created = temp.file("created.log");
    t_hlog second;
    second.set_log_file_name(created);
    EXPECT_TRUE(second.open_log_file());
    EXPECT_TRUE(file_exists(created));
}

TEST_F(Log, AFileThatCannotBeOpenedLeavesTheLogClosed) {
    write_file_bytes(temp.file("not_a_folder"), "");
    log.set_log_file_name(temp.file("not_a_folder") + "/test.log");
    EXPECT_FALSE(log.open_log_file());
    EXPECT_FALSE(log.is_file_opened());
    EXPECT_THROW(log.close_log_file(), Exception);
}

TEST_F(Log, FileNameHasTheStartTimeToTheMillisecond) {
    const std::string folder = temp.path();
    EXPECT_EQ(log.make_log_file_name("\"" + folder + "  \"", "h_trelmo", ""),
              folder + native_separator() + "h_trelmo20100401-090507042.log");
    EXPECT_EQ(log.make_log_file_name(folder + native_separator(), "p", "_s"),
              folder + native_separator() + "p20100401-090507042_s.log");
}

}  // namespace
