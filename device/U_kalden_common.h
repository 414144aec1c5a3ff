// Device data of the ZOR-73 metering device: the device's own float formats, the decoding of
// one card cell into an archive header and time-ordered records, the daily reduction, and
// the ".z7m" data file that stores a decoded archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/hunits/U_base_classes.h"

// A cell image: a 64-byte device header followed by 1022 archive slots of 32 bytes.
inline constexpr std::size_t cell_image_size = 32768;
inline constexpr std::size_t cell_header_size = 64;
inline constexpr std::size_t cell_slot_size = 32;
inline constexpr std::size_t cell_slot_count =
    (cell_image_size - cell_header_size) / cell_slot_size;

// Record formats (cell byte 62), shown in the card directory as device versions.
inline constexpr uint8_t record_format_2t4v = 0xFF;
inline constexpr uint8_t record_format_3t3v = 0xAA;
inline constexpr uint8_t record_format_4t4v = 0xA8;

// Archive kinds of the header.
inline constexpr uint8_t archive_kind_daily = 0;
inline constexpr uint8_t archive_kind_hourly = 7;

// One archive record. Fields that the archive's record format does not fill hold 0.
struct HData {
    double date_time = 0;   // days since 30.12.1899 plus the hour; 0 when read from a file
    std::string date_text;  // "05.03.2010"
    uint8_t hour = 0;
    float value1 = 0;
    float value2 = 0;
    float t_ch1 = 0;
    float t_ch2 = 0;
    float t_ch3 = 0;
    float t_ch4 = 0;
    float v_ch1 = 0;
    float v_ch2 = 0;
    float v_ch3 = 0;
    float v_ch4 = 0;
    float aux1 = 0;
    float aux2 = 0;
};

struct t_archive_header {
    uint8_t archive_kind = 0;
    float head1 = 0;
    float head2 = 0;
    float head3 = 0;
    float head4 = 0;
    float head5 = 0;
    float head6 = 0;
    float head7 = 0;
    float head8 = 0;
    float head9 = 0;
    float aux1 = 0;
    float aux2 = 0;
    int32_t head_word = 0;
    int32_t device_number = 0;
    uint8_t record_format = 0;
    float head10 = 0;
    float head11 = 0;
    float head12 = 0;
    float head12_copy = 0;
    double read_time = 0;  // local date-time of decoding, days since 30.12.1899
};

// The decoded archive of one device.
class t_zor73_process : public t_h_base_class_with_text_result {
  public:
    t_archive_header header;
    std::vector<HData> records;

    // Decodes a 32768-byte cell image: fills the header and appends the records in time
    // order, reduced to one per day when `daily`. Throws Exception when a filled slot has an
    // invalid date or hour (or the image has the wrong size); the object is then unchanged.
    void decode_cell(std::span<const uint8_t> image, bool daily);
    // Stable ascending order of date and hour.
    void sort_by_time();
    // Keeps the last record of each run of records with the same date; marks the archive
    // daily unless it is empty.
    void convert_to_daily();

    // Writes the data file; on false the error text says why and no file of that name was
    // created or changed.
    bool save_to_file(const std::string& path);
    // Replaces header and records by the file's content; on false the error text says why.
    bool load_from_file(const std::string& path);
    void clear_records();
};

// Device float: bytes m_hi, m_mid, m_lo, e; 0 for an invalid exponent or mantissa. The
// 3-byte form is the same with m_lo = 0. Every value is exact in float32.
float decode_device_float(uint8_t e, uint8_t m_hi, uint8_t m_mid, uint8_t m_lo);
// Big-endian 16-bit n as n/100, rounded to the nearest float32.
float decode_scaled16(uint8_t hi, uint8_t lo);
// A 3-byte device float times K = 1.000002550006528, rounded to the nearest float32.
float decode_device_float_times_k(uint8_t e, uint8_t m_hi, uint8_t m_mid);
// Header and record aux fields: byte - 103, and byte * 0.0214647888 rounded to float32.
float decode_aux1(uint8_t b);
float decode_aux2(uint8_t b);

// One filled 32-byte slot. Throws Exception on an invalid date or hour.
HData decode_record(uint8_t format, std::span<const uint8_t, cell_slot_size> slot);

// Data file: a 112-byte header block and one 68-byte block per record.
inline constexpr std::size_t data_file_header_size = 112;
inline constexpr std::size_t data_file_record_size = 68;
// Larger files are refused: a cell holds at most 1022 records, this allows sixteen times that.
inline constexpr std::size_t data_file_max_records = 16 * cell_slot_count;

// The file's bytes for `process`: reserved bytes are zero.
std::vector<uint8_t> encode_data_file(const t_zor73_process& process);

// folder + "YYYY.MM.DD__HH-NN-SS-ZZZ" of read_time + "__n_" + 8-digit device number + "__"
// + "day"/"hour" + ".z7m".
std::string make_file_name(const t_zor73_process& process, const std::string& folder);
