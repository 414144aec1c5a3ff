#include <gtest/gtest.h>

#include <filesystem>

#include "common/hunits/U_base_classes.h"
#include "common/hunits/Uhinifiles.h"
#include "common/hunits/cp1251.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

// File bytes of UTF-8 text: code page 1251.
std::string cp(const std::string& utf8) {
    return utf8_to_cp1251(utf8);
}

class IniFile : public t_test_env {
  protected:
    IniFile() {
        ini.set_file_name(ini_file);
        ini.set_section("MAIN");
    }
    void store(const std::string& utf8) { write_file_bytes(ini_file, cp(utf8)); }
    std::string stored() const { return read_file_bytes(ini_file); }

    th_ini_file ini;
};

const char* const sample_file =
    "; settings\r\n"
    "garbage line\r\n"
    "[MAIN]\r\n"
    "data_file_dir_name =  /home/u/данные/ \r\n"
    "empty=\r\n"
    "no equals sign here\r\n"
    "[form_main]\r\n"
    "Top=5\r\n"
    "[Раздел]\r\n"
    "ключ=значение «№1»\r\n"
    "[MAIN]\r\n"
    "late=in a second MAIN section\r\n";

TEST_F(IniFile, ReadStrFindsKeysAndTellsWhatHappened) {
    store(sample_file);
    struct t_case {
        std::string section;
        std::string key;
        std::string value;
        int32_t last_result;
    };
    const t_case cases[] = {
        {"", "data_file_dir_name", "/home/u/данные/", 0},
        {"main", "DATA_FILE_DIR_NAME", "/home/u/данные/", 0},
        {"", "empty", "", 0},
        {"form_main", "Top", "5", 0},
        {"Раздел", "ключ", "значение «№1»", 0},
        {"", "missing", "default", 1},
        {"", "no equals sign here", "default", 1},
        {"", "late", "default", 1},  // only the first section of a name counts
        {"absent", "Top", "default", 1},
        {"", "日", "default", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        EXPECT_EQ(ini.read_str(c.section, c.key, "default"), c.value);
        EXPECT_EQ(ini.get_last_result(), c.last_result);
    }
}

TEST_F(IniFile, MissingOrUnreadableFilesGiveDefaults) {
    ini.set_file_name(temp.file("missing.ini"));
    EXPECT_EQ(ini.read_str("", "key", "d"), "d");
    EXPECT_EQ(ini.get_last_result(), 1);

    write_file_bytes(temp.file("file"), "");
    ini.set_file_name(temp.file("file") + "/h_trelmo.ini");
    EXPECT_EQ(ini.read_int("", "key", 7, 0, 0), 7);
    EXPECT_EQ(ini.get_last_result(), 1);

    ini.set_file_name(temp.path());  // a folder
    EXPECT_EQ(ini.read_str("", "key", "d"), "d");
    EXPECT_EQ(ini.get_last_result(), 4);
    EXPECT_EQ(ini.read_int("", "key", 7, 0, 10), 7);
    EXPECT_EQ(ini.get_last_result(), 4);
    EXPECT_TRUE(ini.read_bool("", "key", true));
    EXPECT_EQ(ini.get_last_result(), 4);
}

TEST_F(IniFile, ReadIntAcceptsSignedDecimalsWithinTheRange) {
    struct t_case {
        const char* stored;  // nullptr: key absent
        int32_t min;
        int32_t max;
        int32_t result;
        int32_t last_result;
    };
    const int32_t def = 50;
    const t_case cases[] = {
        {"42", 0, 0, 42, 0},
        {" 42 ", 0, 0, 42, 0},
        {"-5", 0, 0, -5, 0},
        {"+7", 0, 0, 7, 0},
        {"2147483647", 0, 0, 2147483647, 0},
        {"-2147483648", 0, 0, -2147483647 - 1, 0},
        {"10", 10, 10000, 10, 0},
        {"10000", 10, 10000, 10000, 0},
        {nullptr, 0, 0, def, 1},
        {"20000", 1, 10000, def, 2},
        {"0", 1, 10000, def, 2},
        {"12x", 0, 0, def, 3},
        {"", 0, 0, def, 3},
        {"0x10", 0, 0, def, 3},
        {"1 2", 0, 0, def, 3},
        {"+-5", 0, 0, def, 3},
        {"2147483648", 0, 0, def, 3},
        {"99999999999999999999", 0, 0, def, 3},
        {"12x", 1, 10000, def, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(absent)");
        store(c.stored ? std::string("[MAIN]\r\nv=") + c.stored + "\r\n" : "[MAIN]\r\n");
        EXPECT_EQ(ini.read_int("", "v", def, c.min, c.max), c.result);
        EXPECT_EQ(ini.get_last_result(), c.last_result);
    }
}

TEST_F(IniFile, ReadIntRefusesADefaultOutsideItsRange) {
    store("[MAIN]\r\nv=50\r\n");
    try {
        ini.read_int("", "v", 0, 10, 10000);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Неправильные выходные данные в th_ini_file::read_int!");
    }
    EXPECT_EQ(ini.read_int("", "v", -1, 3, 3), 50);  // min == max: no range at all
}

TEST_F(IniFile, ReadBoolTakesOnlyZeroAndOne) {
    struct t_case {
        const char* stored;
        bool def;
        bool result;
        int32_t last_result;
    };
    const t_case cases[] = {
        {"1", false, true, 0},  {"0", true, false, 0},    {"2", true, true, 2},
        {"2", false, false, 2}, {"yes", false, false, 3}, {nullptr, true, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(absent)");
        store(c.stored ? std::string("[MAIN]\r\nb=") + c.stored + "\r\n" : "");
        EXPECT_EQ(ini.read_bool("", "b", c.def), c.result);
        EXPECT_EQ(ini.get_last_result(), c.last_result);
    }
}

TEST_F(IniFile, WritesCreateTheFileKeysAndSections) {
    ini.write_str("", "data_file_dir_name", "/home/u/Данные/");
    EXPECT_EQ(ini.get_last_result(), 0);
    ini.write_bool("", "CheckBox_to_days", true);
    ini.write_int("form_main", "Top", -5);
    ini.write_int("", "cb_port_list", 3);
    ini.write_bool("", "CheckBox_to_days", false);
    EXPECT_EQ(ini.get_last_result(), 0);
    EXPECT_EQ(stored(), cp("[MAIN]\r\n"
                           "data_file_dir_name=/home/u/Данные/\r\n"
                           "CheckBox_to_days=0\r\n"
                           "cb_port_list=3\r\n"
                           "\r\n"
                           "[form_main]\r\n"
                           "Top=-5\r\n"));
    EXPECT_EQ(ini.read_str("", "data_file_dir_name", ""), "/home/u/Данные/");
    EXPECT_EQ(ini.read_int("form_main", "Top", 0, 0, 0), -5);
}

TEST_F(IniFile, WritingOneKeyKeepsEveryOtherLine) {
    write_file_bytes(ini_file,
                     "; comment\n"
                     "junk \x98\xFF bytes\n"
                     "[MAIN]\n"
                     "Key = old value\n"
                     "other=1\n"
                     "\n"
                     "[form_main]\n"
                     "garbage\n"
                     "Top=5");
    ini.write_str("main", "key", "new");
    ini.write_str("form_main", "Left", "7");
    EXPECT_EQ(ini.get_last_result(), 0);
    EXPECT_EQ(stored(),
              "; comment\r\n"
              "junk \x98\xFF bytes\r\n"
              "[MAIN]\r\n"
              "key=new\r\n"
              "other=1\r\n"
              "\r\n"
              "[form_main]\r\n"
              "garbage\r\n"
              "Top=5\r\n"
              "Left=7\r\n");
}

TEST_F(IniFile, AnUnchangedValueLeavesTheFileUntouched) {
    // Any rewrite would show: it would write "key=value" and CR LF.
    const std::string original = "[MAIN]\n  key =  value  \n; end";
    write_file_bytes(ini_file, original);
    ini.write_str("", "key", "value");
    EXPECT_EQ(ini.get_last_result(), 0);
    EXPECT_EQ(stored(), original);
    ini.write_int("", "key", 1);
    EXPECT_EQ(stored(), "[MAIN]\r\nkey=1\r\n; end\r\n");
}

TEST_F(IniFile, AFailedWriteKeepsTheOldFile) {
    write_file_bytes(temp.file("file"), "");
    ini.set_file_name(temp.file("file") + "/h_trelmo.ini");  // the folder is a file
    ini.write_str("", "key", "value");
    EXPECT_EQ(ini.get_last_result(), 4);

    ini.set_file_name(temp.path());  // the file is a folder
    ini.write_str("", "key", "value");
    EXPECT_EQ(ini.get_last_result(), 4);
    EXPECT_TRUE(fs::is_directory(temp.path()));
}

TEST_F(IniFile, TextsThatCannotBeStoredAreNotWrittenAndTheLogSaysSo) {
    t_hlog log;
    const std::string log_name = temp.file("test.log");
    log.set_log_file_name(log_name);
    ASSERT_TRUE(log.open_log_file());
    log.set_file_out(true);
    hlog = &log;

    const std::string original = "[MAIN]\r\nkey=old\r\n";
    write_file_bytes(ini_file, original);
    ini.write_str("", "key", "日本");
    EXPECT_EQ(ini.get_last_result(), 4);
    ini.write_str("", "key", "a\r\n[evil]\r\nx=1");
    EXPECT_EQ(ini.get_last_result(), 4);
    ini.write_str("", "k=ey", "v");
    EXPECT_EQ(ini.get_last_result(), 4);
    EXPECT_EQ(stored(), original);

    log.flush_log_buffer();
    const std::string text = cp1251_to_utf8(read_file_bytes(log_name));
    EXPECT_NE(text.find("\t[e]\tНастройка [MAIN] key не записана: символы вне кодовой "
                        "страницы 1251.\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\t[e]\tНастройка [MAIN] k=ey не записана: недопустимые символы"),
              std::string::npos)
        << text;

    hlog = nullptr;  // without a log the refusal is silent
    ini.write_str("", "key", "日本");
    EXPECT_EQ(ini.get_last_result(), 4);
}

class t_test_form : public t_form_geometry {
  public:
    std::string form_name() const override { return "form_main"; }
    int32_t top() const override { return top_; }
    int32_t left() const override { return left_; }
    int32_t height() const override { return height_; }
    int32_t width() const override { return width_; }
    int32_t window_state() const override { return state_; }
    void set_top(int32_t v) override { top_ = v; }
    void set_left(int32_t v) override { left_ = v; }
    void set_height(int32_t v) override { height_ = v; }
    void set_width(int32_t v) override { width_ = v; }
    void set_window_state(int32_t v) override { state_ = v; }

    int32_t top_ = 50, left_ = 60, height_ = 300, width_ = 400, state_ = 0;
};

TEST_F(IniFile, SavePlacementWritesTheChosenKeysInTheFormsSection) {
    t_test_form form;
    form.state_ = 2;
    ini.save_form_placement(form, placement_position | placement_size, "");
    ini.save_form_placement(form, placement_state, "other");
    EXPECT_EQ(stored(),
              "[form_main]\r\nTop=50\r\nLeft=60\r\nHeight=300\r\nWidth=400\r\n"
              "\r\n[other]\r\nSTATE=2\r\n");
}

TEST_F(IniFile, LoadPlacementClampsToTheScreen) {
    // Two monitors side by side: the desktop is wider than the primary screen.
    const t_screen_sizes screen{2560, 1024, 1280, 1024};
    struct t_case {
        std::string keys;
        int32_t top, left, height, width;
    };
    const t_case cases[] = {
        {"Top=10\r\nLeft=2000\r\nHeight=600\r\nWidth=800", 10, 2000, 600, 800},
        {"Top=-5\r\nLeft=-1", 0, 0, 300, 400},
        {"Top=5000\r\nLeft=5000", 0, 0, 300, 400},
        {"Top=979\r\nLeft=2510", 979, 2510, 300, 400},  // desktop - 45, desktop - 50
        {"Top=980\r\nLeft=2511", 0, 0, 300, 400},
        {"Height=5000\r\nWidth=2000", 50, 60, 100, 100},  // larger than the primary screen
        {"Height=1024\r\nWidth=1280", 50, 60, 1024, 1280},
        {"Height=1025\r\nWidth=1281", 50, 60, 100, 100},
        // Outside 10-10000 or not a number: the current size stays.
        {"Height=20000\r\nWidth=9", 50, 60, 300, 400},
        {"Height=abc\r\nWidth=", 50, 60, 300, 400},
        {"", 50, 60, 300, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        store("[form_main]\r\n" + c.keys + "\r\n");
        t_test_form form;
        ini.load_form_placement(form, placement_position | placement_size, "", screen);
        EXPECT_EQ(form.top_, c.top);
        EXPECT_EQ(form.left_, c.left);
        EXPECT_EQ(form.height_, c.height);
        EXPECT_EQ(form.width_, c.width);
    }

    // Without stored values the current place is checked as well.
    store("");
    t_test_form off_screen;
    off_screen.top_ = 2000;
    off_screen.height_ = 2000;
    ini.load_form_placement(off_screen, placement_position | placement_size, "", screen);
    EXPECT_EQ(off_screen.top_, 0);
    EXPECT_EQ(off_screen.height_, 100);
}

TEST_F(IniFile, LoadPlacementStateAndSections) {
    const t_screen_sizes screen{1280, 1024, 1280, 1024};
    store("[form_main]\r\nSTATE=2\r\nTop=1\r\n[other]\r\nSTATE=7\r\nTop=2\r\n");
    t_test_form form;
    ini.load_form_placement(form, placement_state | placement_position, "", screen);
    EXPECT_EQ(form.state_, 2);
    EXPECT_EQ(form.top_, 1);
    ini.load_form_placement(form, placement_state | placement_position, "other", screen);
    EXPECT_EQ(form.state_, 2);  // no window state 7: the current one stays
    EXPECT_EQ(form.top_, 2);
    ini.load_form_placement(form, placement_size, "", screen);  // flags choose the keys
    EXPECT_EQ(form.top_, 2);
}

TEST_F(IniFile, LoadSizeOfATooSmallFormRaises) {
    t_test_form form;
    form.height_ = 5;
    EXPECT_THROW(ini.load_form_placement(form, placement_size, "", {1280, 1024, 1280, 1024}),
                 Exception);
}

TEST(ValueInRange, ComparesAsRealNumbers) {
    EXPECT_TRUE(th_ini_file::value_in_range(1.5, 1, 2));
    EXPECT_TRUE(th_ini_file::value_in_range(2, 1, 2));
    EXPECT_FALSE(th_ini_file::value_in_range(2.0001, 1, 2));
}

}  // namespace
