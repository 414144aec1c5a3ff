#include <gtest/gtest.h>

#include "common/hunits/U_base_classes.h"

namespace {

class t_failing : public t_h_base_class_with_text_result {
  public:
    bool fail(const std::string& why) {
        text_result = why;
        return false;
    }
    bool succeed_quietly() { return true; }
};

TEST(ProgramErrorReport, HasExactlyFourLinesAndNoTrailingLineFeed) {
    const std::string report =
        make_program_error_text("t_hlog::set_line_buffer_size", "/src/common/hunits/uhlog.cpp",
                                "Неправильный размер буфера!");
    EXPECT_EQ(report,
              "ОШИБКА В РАБОТЕ ПРОГРАММЫ:\n"
              " функция \"t_hlog::set_line_buffer_size\"\n"
              " модуль: \"/src/common/hunits/uhlog.cpp\"\n"
              "сообщение: \"Неправильный размер буфера!\"");
}

TEST(ProgramErrorReport, InsertsQuotesAndLineBreaksOfTheMessageVerbatim) {
    try {
        raise_program_error("f", "m", "a \"b\"\nc");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ОШИБКА В РАБОТЕ ПРОГРАММЫ:\n функция \"f\"\n модуль: \"m\"\nсообщение: \"a "
                  "\"b\"\nc\"");
    }
}

TEST(TextResult, NewObjectIsEmptyAndOnlyTheLastFailureIsKept) {
    t_failing object;
    EXPECT_EQ(object.get_text_result(), "");
    object.fail("первая");
    object.fail("вторая");
    EXPECT_EQ(object.get_text_result(), "вторая");
    object.succeed_quietly();
    EXPECT_EQ(object.get_text_result(), "вторая");
}

}  // namespace
