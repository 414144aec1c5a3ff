#include <gtest/gtest.h>

#include "common/hunits/cp1251.h"

namespace {

TEST(Cp1251, EveryDefinedByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x98) {
            all += static_cast<char>(b);
        }
    }
    bool ok = false;
    EXPECT_EQ(utf8_to_cp1251(cp1251_to_utf8(all), &ok), all);
    EXPECT_TRUE(ok);
}

TEST(Cp1251, CharactersOfTheUpperHalf) {
    struct t_case {
        const char* utf8;
        unsigned char byte;
    };
    const t_case cases[] = {
        {"А", 0xC0}, {"я", 0xFF}, {"Ё", 0xA8}, {"ё", 0xB8},      {"№", 0xB9},
        {"«", 0xAB}, {"»", 0xBB}, {"–", 0x96}, {"—", 0x97},      {"„", 0x84},
        {"“", 0x93}, {"”", 0x94}, {"€", 0x88}, {"\u00A0", 0xA0}, {"Ђ", 0x80},
        {"џ", 0x9F}, {"™", 0x99}, {"ї", 0xBF}, {"Ґ", 0xA5},      {"°", 0xB0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(utf8_to_cp1251(c.utf8), byte);
        EXPECT_EQ(cp1251_to_utf8(byte), c.utf8);
    }
    EXPECT_EQ(utf8_to_cp1251("ДА НЕТ"), "\xC4\xC0 \xCD\xC5\xD2");
}

TEST(Cp1251, WhatTheCodePageCannotHoldIsReplaced) {
    struct t_case {
        std::string utf8;
        std::string with_question_mark;
        std::string dropped;
    };
    const t_case cases[] = {
        {"a日b", "a?b", "ab"},       {"x\U0001F600y", "x?y", "xy"},  // four-byte sequence
        {"\xFFz", "?z", "z"},                                        // not UTF-8
        {"\xD0", "?", ""},                                           // cut sequence
        {"\xC0\xAF", "??", ""},                                      // overlong form of '/'
        {"\xED\xA0\x80", "???", ""},                                 // surrogate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.with_question_mark);
        bool ok = true;
        EXPECT_EQ(utf8_to_cp1251(c.utf8, &ok), c.with_question_mark);
        EXPECT_FALSE(ok);
        EXPECT_EQ(utf8_to_cp1251(c.utf8, nullptr, 0), c.dropped);
    }
}

TEST(Cp1251, TheUndefinedByteReadsAsReplacementCharacter) {
    EXPECT_EQ(cp1251_to_utf8("\x98"), "\uFFFD");
    bool ok = true;
    EXPECT_EQ(utf8_to_cp1251("\uFFFD", &ok), "?");
    EXPECT_FALSE(ok);
}

}  // namespace
