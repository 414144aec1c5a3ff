// The ".z7m" data file: a 112-byte header block and 68-byte record blocks, little-endian.
// Texts are stored in code page 1251.
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/hunits/cp1251.h"
#include "common/hunits/h_utf8_path.h"
#include "device/U_kalden_common.h"
#include "device/durable_file.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t date_text_field_size = 12;
// At most 11 text bytes are written, so the zero byte that ends the text is always there.
constexpr size_t date_text_max_stored = date_text_field_size - 1;

const std::string read_error_text = "Ошибка при считывании файла данных";

class t_block_writer {
  public:
    explicit t_block_writer(uint8_t* block) : block_(block) {}
    void u8(size_t at, uint8_t v) { block_[at] = v; }
    void u32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            block_[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    void i32(size_t at, int32_t v) { u32(at, static_cast<uint32_t>(v)); }
    void f32(size_t at, float v) { u32(at, std::bit_cast<uint32_t>(v)); }
    void f64(size_t at, double v) {
        const uint64_t bits = std::bit_cast<uint64_t>(v);
        u32(at, static_cast<uint32_t>(bits));
        u32(at + 4, static_cast<uint32_t>(bits >> 32));
    }

  private:
    uint8_t* block_;
};

class t_block_reader {
  public:
    explicit t_block_reader(const uint8_t* block) : block_(block) {}
    uint8_t u8(size_t at) const { return block_[at]; }
    uint32_t u32(size_t at) const {
        return uint32_t{block_[at]} | uint32_t{block_[at + 1]} << 8 |
               uint32_t{block_[at + 2]} << 16 | uint32_t{block_[at + 3]} << 24;
    }
    int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
    float f32(size_t at) const { return std::bit_cast<float>(u32(at)); }
    double f64(size_t at) const {
        return std::bit_cast<double>(uint64_t{u32(at)} | uint64_t{u32(at + 4)} << 32);
    }

  private:
    const uint8_t* block_;
};

void encode_header(const t_archive_header& h, uint8_t* block) {
    t_block_writer w(block);
    w.u8(0, h.archive_kind);
    w.f32(4, h.head1);
    w.f32(12, h.head2);
    w.f32(16, h.head3);
    w.f32(28, h.head4);
    w.f32(32, h.head5);
    w.f32(36, h.head6);
    w.f32(40, h.head7);
    w.f32(48, h.head8);
    w.f32(52, h.head9);
    w.f32(64, h.aux1);
    w.f32(68, h.aux2);
    w.i32(72, h.head_word);
    w.i32(76, h.device_number);
    w.u8(81, h.record_format);
    w.f32(84, h.head10);
    w.f32(88, h.head11);
    w.f32(92, h.head12);
    w.f32(96, h.head12_copy);
    w.f64(104, h.read_time);
}

t_archive_header decode_header(const uint8_t* block) {
    const t_block_reader r(block);
    t_archive_header h;
    h.archive_kind = r.u8(0);
    h.head1 = r.f32(4);
    h.head2 = r.f32(12);
    h.head3 = r.f32(16);
    h.head4 = r.f32(28);
    h.head5 = r.f32(32);
    h.head6 = r.f32(36);
    h.head7 = r.f32(40);
    h.head8 = r.f32(48);
    h.head9 = r.f32(52);
    h.aux1 = r.f32(64);
    h.aux2 = r.f32(68);
    h.head_word = r.i32(72);
    h.device_number = r.i32(76);
    h.record_format = r.u8(81);
    h.head10 = r.f32(84);
    h.head11 = r.f32(88);
    h.head12 = r.f32(92);
    h.head12_copy = r.f32(96);
    h.read_time = r.f64(104);
    return h;
}

void encode_record(const HData& d, uint8_t* block) {
    const std::string text = utf8_to_cp1251(d.date_text);
    std::memcpy(block, text.data(), std::min(text.size(), date_text_max_stored));
    t_block_writer w(block);
    w.u8(12, d.hour);
    w.f32(16, d.value1);
    w.f32(20, d.value2);
    w.f32(24, d.t_ch1);
    w.f32(28, d.t_ch2);
    w.f32(32, d.t_ch3);
    w.f32(36, d.t_ch4);
    w.f32(40, d.v_ch1);
    w.f32(44, d.v_ch2);
    w.f32(48, d.v_ch3);
    w.f32(52, d.v_ch4);
    w.f32(60, d.aux1);
    w.f32(64, d.aux2);
}

HData decode_record_block(const uint8_t* block) {
    const t_block_reader r(block);
    HData d;
    const auto* text = reinterpret_cast<const char*>(block);
    d.date_text = cp1251_to_utf8(std::string(text, strnlen(text, date_text_field_size)));
    d.hour = r.u8(12);
    d.value1 = r.f32(16);
    d.value2 = r.f32(20);
    d.t_ch1 = r.f32(24);
    d.t_ch2 = r.f32(28);
    d.t_ch3 = r.f32(32);
    d.t_ch4 = r.f32(36);
    d.v_ch1 = r.f32(40);
    d.v_ch2 = r.f32(44);
    d.v_ch3 = r.f32(48);
    d.v_ch4 = r.f32(52);
    d.aux1 = r.f32(60);
    d.aux2 = r.f32(64);
    return d;
}

}  // namespace

std::vector<uint8_t> encode_data_file(const t_zor73_process& process) {
    std::vector<uint8_t> bytes(data_file_header_size +
                               data_file_record_size * process.records.size());
    encode_header(process.header, bytes.data());
    uint8_t* block = bytes.data() + data_file_header_size;
    for (const HData& record : process.records) {
        encode_record(record, block);
        block += data_file_record_size;
    }
    return bytes;
}

bool t_zor73_process::save_to_file(const std::string& path) {
    const std::vector<uint8_t> bytes = encode_data_file(*this);
    if (!write_file_durably(path, bytes.data(), bytes.size())) {
        text_result = "Ошибка записи файла: " + path;
        return false;
    }
    return true;
}

bool t_zor73_process::load_from_file(const std::string& path) {
    const fs::path file = utf8_path(path);
    std::error_code ec;
    // Only a regular file is opened: a folder cannot be read, and a device or pipe may never
    // end or block.
    if (!fs::is_regular_file(file, ec)) {
        text_result = "Ошибка открытия файла: " + path;
        return false;
    }
    const uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        text_result = "Ошибка открытия файла: " + path;
        return false;
    }
    if (size >= data_file_header_size &&
        (size - data_file_header_size) / data_file_record_size > data_file_max_records) {
        text_result = "Файл слишком велик для файла данных: " + path;
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        text_result = "Ошибка открытия файла: " + path;
        return false;
    }
    uint8_t block[data_file_header_size];
    if (size < data_file_header_size ||
        !in.read(reinterpret_cast<char*>(block), data_file_header_size)) {
        text_result = read_error_text;
        return false;
    }
    header = decode_header(block);
    clear_records();
    const uintmax_t count = (size - data_file_header_size) / data_file_record_size;
    records.reserve(static_cast<size_t>(count));
    for (uintmax_t i = 0; i < count; ++i) {
        if (!in.read(reinterpret_cast<char*>(block), data_file_record_size)) {
            text_result = read_error_text;  // the records read so far stay
            return false;
        }
        records.push_back(decode_record_block(block));
    }
    return true;
}

void t_zor73_process::clear_records() {
    records.clear();
}
