// An ini file held as its lines, byte for byte as stored (code page 1251): sections in
// brackets, key=value lines. Sections and keys match without regard to ASCII case, the
// first of equal names wins, blanks around keys and values are not part of them. Lines
// that are neither (comments, garbage) are kept as they are when a value is set.
#pragma once

#include <string>
#include <vector>

class t_ini_document {
  public:
    enum class t_load_result { loaded, missing, failed };

    // A missing file loads as an empty document; `failed`: the file exists but cannot be
    // read (for example it is a folder).
    t_load_result load(const std::string& file_name);
    // Writes the document beside the file and renames it over it: a failed write leaves
    // the old file untouched.
    bool save(const std::string& file_name) const;

    void parse(const std::string& bytes);
    // Every line followed by CR LF.
    std::string text() const;

    bool find_value(const std::string& section, const std::string& key, std::string& value) const;
    // Replaces the key's line or adds one (at the end of its section, or in a new section
    // at the end). False, changing nothing, when the names or the value cannot be stored
    // as one ini line (a line break, a '=' in the key, a ']' in the section).
    bool set_value(const std::string& section, const std::string& key, const std::string& value);

  private:
    struct t_range {
        size_t begin;  // the section's first line after its header
        size_t end;    // the next header, or the end
    };
    bool find_section(const std::string& section, t_range& range) const;
    bool find_key(const t_range& range, const std::string& key, size_t& line) const;

    std::vector<std::string> lines_;
};
