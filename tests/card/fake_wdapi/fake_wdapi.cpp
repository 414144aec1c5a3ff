// Stands in for the driver's API library in tests: the status-text function at ordinal 29
// (fake_wdapi.def), with a text in code page 1251 as the library's are.
#include <cstdint>
#include <cstdio>

extern "C" const char* fake_status_text(uint32_t status) {
    static char text[64];
    // "Статус " in code page 1251, then the code.
    std::snprintf(text, sizeof text, "\xD1\xF2\xE0\xF2\xF3\xF1 0x%X",
                  static_cast<unsigned>(status));
    return text;
}
