#include "card/simulator/card_image.h"

#include <cstdio>
#include <utility>

namespace {

// Writes through to the image file; the data reach the file system at once (fflush), which
// is enough for a simulated card: no fsync per page.
class t_card_file_store : public t_card_store {
  public:
    t_card_file_store(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    ~t_card_file_store() override { std::fclose(file_); }
    t_card_file_store(const t_card_file_store&) = delete;
    t_card_file_store& operator=(const t_card_file_store&) = delete;

    bool save(uint32_t offset, const uint8_t* data, uint32_t count,
              std::string& error_text) override {
        const bool ok = std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 &&
                        std::fwrite(data, 1, count, file_) == count && std::fflush(file_) == 0;
        if (!ok) {
            std::clearerr(file_);
            error_text = "Не удалось записать изменения карты в файл образа \"" + path_ + "\".";
        }
        return ok;
    }

  private:
    std::FILE* file_;
    std::string path_;
};

}  // namespace

std::string card_image_size_error(const std::string& path, uint64_t size) {
    if (size != 0 && size % sim_cell_size == 0 && size / sim_cell_size <= sim_max_cells) {
        return {};
    }
    return "Файл образа карты \"" + path + "\" имеет размер " + std::to_string(size) +
           " байт, а должен содержать от 1 до 6 ячеек по 32768 байт (32768, 65536, 98304, "
           "131072, 163840 или 196608 байт).";
}

bool load_card_file(const std::string& path, t_sim_card& card, std::string& error_text) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        error_text = "Не удалось открыть файл образа карты \"" + path + "\" для чтения и записи.";
        return false;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = std::ftell(file);
    }
    if (size < 0) {
        std::fclose(file);
        error_text = "Не удалось прочитать файл образа карты \"" + path + "\".";
        return false;
    }
    error_text = card_image_size_error(path, static_cast<uint64_t>(size));
    if (!error_text.empty()) {
        std::fclose(file);
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fclose(file);
        error_text = "Не удалось прочитать файл образа карты \"" + path + "\".";
        return false;
    }
    card.bytes = std::move(bytes);
    card.store = std::make_unique<t_card_file_store>(file, path);
    return true;
}
