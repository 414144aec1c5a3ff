// Random and half-valid bytes fed to the decoder and the data file reader: they either
// succeed with sound results or fail the documented way, never crash.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "device/U_kalden_common.h"
#include "device/data_file_compare.h"
#include "support/test_env.h"

namespace {

using t_random_inputs = t_test_env;

constexpr uint8_t formats[] = {0xFF, 0xAA, 0xA8, 0x00, 0x7E};

// Random bytes; with `plausible`, every slot is free or has a valid date and hour, so
// decoding succeeds and goes through every path of the record formats.
std::vector<uint8_t> random_image(std::mt19937& random, bool plausible) {
    std::vector<uint8_t> image(cell_image_size);
    for (uint8_t& b : image) {
        b = static_cast<uint8_t>(random());
    }
    if (plausible) {
        image[62] = formats[random() % std::size(formats)];
        for (size_t at = cell_header_size; at < cell_image_size; at += cell_slot_size) {
            if (random() % 16 == 0) {
                image[at] = static_cast<uint8_t>(random() % 2 == 0 ? 0 : 32 + random() % 224);
                continue;
            }
            image[at] = static_cast<uint8_t>(1 + random() % 28);
            image[at + 1] = static_cast<uint8_t>(1 + random() % 12);
            image[at + 3] = static_cast<uint8_t>(random() % 24);
        }
    }
    return image;
}

void expect_sound_archive(const t_zor73_process& p) {
    ASSERT_LE(p.records.size(), cell_slot_count);
    for (size_t i = 0; i < p.records.size(); ++i) {
        const HData& r = p.records[i];
        ASSERT_EQ(r.date_text.size(), 10u);
        ASSERT_LE(r.hour, 23);
        if (i > 0) {
            ASSERT_LE(p.records[i - 1].date_time, r.date_time);
        }
        if (p.header.record_format == 0xAA) {
            for (float t : {r.t_ch1, r.t_ch2, r.t_ch3}) {
                ASSERT_TRUE(t >= 0.0f && t <= 180.0f);
            }
        }
        if (p.header.record_format == 0xA8) {
            for (auto [a, b] : {std::pair{r.t_ch1, r.t_ch2}, std::pair{r.t_ch3, r.t_ch4}}) {
                ASSERT_TRUE((a == 0 && b == 0) ||
                            (a >= 1.0f && a <= 180.0f && b >= 1.0f && b <= 180.0f));
            }
        }
    }
}

TEST_F(t_random_inputs, DecodingEitherSucceedsSoundlyOrFailsWithItsException) {
    std::mt19937 random(20100401);
    for (int i = 0; i < 200; ++i) {
        const bool plausible = i % 4 != 0;
        const std::vector<uint8_t> image = random_image(random, plausible);
        for (bool daily : {false, true}) {
            t_zor73_process p;
            try {
                p.decode_cell(image, daily);
            } catch (const Exception&) {
                ASSERT_FALSE(plausible) << i;
                ASSERT_TRUE(p.records.empty());
                continue;
            }
            expect_sound_archive(p);
            if (i % 8 != 1) {
                continue;  // the round trip through a file, for some of them
            }
            const std::string path = temp.file("decoded.z7m");
            ASSERT_TRUE(p.save_to_file(path));
            t_zor73_process loaded;
            ASSERT_TRUE(loaded.load_from_file(path));
            ASSERT_EQ(encode_data_file(loaded), encode_data_file(p));
        }
    }
}

TEST_F(t_random_inputs, RandomFilesLoadOrFailAndCompareEqualToThemselves) {
    std::mt19937 random(73);
    const std::string path = temp.file("random.z7m");
    for (int i = 0; i < 300; ++i) {
        std::string bytes(random() % 1200, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        write_file_bytes(path, bytes);
        t_zor73_process p;
        const bool loaded = p.load_from_file(path);
        ASSERT_EQ(loaded, bytes.size() >= data_file_header_size) << bytes.size();
        if (!loaded) {
            continue;
        }
        ASSERT_EQ(p.records.size(), (bytes.size() - data_file_header_size) / data_file_record_size);
        const t_compare_result result = compare_data_files(path, path);
        EXPECT_FALSE(compare_found_differences(result));
    }
}

}  // namespace
