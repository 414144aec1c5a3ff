#include "common/hunits/h_ini_document.h"

#include "common/hunits/platform/h_platform.h"

namespace {

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a section header line ("[name]", blanks allowed around), or false.
bool section_header(const std::string& line, std::string& name) {
    const std::string text = trimmed(line);
    if (text.empty() || text.front() != '[') {
        return false;
    }
    const size_t close = text.find(']');
    if (close == std::string::npos) {
        return false;
    }
    name = trimmed(text.substr(1, close - 1));
    return true;
}

// The key and value of a key=value line, or false for comments and other lines.
bool key_line(const std::string& line, std::string& key, std::string& value) {
    const std::string text = trimmed(line);
    const size_t equals = text.find('=');
    if (text.empty() || text.front() == ';' || equals == std::string::npos) {
        return false;
    }
    key = trimmed(text.substr(0, equals));
    value = trimmed(text.substr(equals + 1));
    return !key.empty();
}

bool has_line_break(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

t_ini_document::t_load_result t_ini_document::load(const std::string& file_name) {
    std::string bytes;
    switch (h_platform::read_whole_file(file_name, bytes)) {
        case h_platform::t_read_status::ok:
            parse(bytes);
            return t_load_result::loaded;
        case h_platform::t_read_status::missing:
            lines_.clear();
            return t_load_result::missing;
        case h_platform::t_read_status::failed:
            break;
    }
    lines_.clear();
    return t_load_result::failed;
}

bool t_ini_document::save(const std::string& file_name) const {
    return h_platform::replace_file_atomically(file_name, text());
}

void t_ini_document::parse(const std::string& bytes) {
    lines_.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

std::string t_ini_document::text() const {
    std::string bytes;
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

bool t_ini_document::find_section(const std::string& section, t_range& range) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (section_header(lines_[i], name) && same_name(name, section)) {
            range.begin = i + 1;
            range.end = range.begin;
            while (range.end < lines_.size() && !section_header(lines_[range.end], name)) {
                ++range.end;
            }
            return true;
        }
    }
    return false;
}

bool t_ini_document::find_key(const t_range& range, const std::string& key, size_t& line) const {
    std::string name;
    std::string value;
    for (size_t i = range.begin; i < range.end; ++i) {
        if (key_line(lines_[i], name, value) && same_name(name, key)) {
            line = i;
            return true;
        }
    }
    return false;
}

bool t_ini_document::find_value(const std::string& section, const std::string& key,
                                std::string& value) const {
    t_range range{};
    size_t line = 0;
    if (!find_section(section, range) || !find_key(range, key, line)) {
        return false;
    }
    std::string name;
    return key_line(lines_[line], name, value);
}

bool t_ini_document::set_value(const std::string& section, const std::string& key,
                               const std::string& value) {
    if (has_line_break(section) || has_line_break(key) || has_line_break(value) ||
        section.find(']') != std::string::npos || key.find('=') != std::string::npos ||
        trimmed(key).empty() || trimmed(key).front() == ';' || trimmed(key).front() == '[') {
        return false;
    }
    const std::string new_line = key + "=" + value;
    t_range range{};
    if (!find_section(section, range)) {
        if (!lines_.empty() && !trimmed(lines_.back()).empty()) {
            lines_.emplace_back();
        }
        lines_.push_back("[" + section + "]");
        lines_.push_back(new_line);
        return true;
    }
    size_t line = 0;
    if (find_key(range, key, line)) {
        lines_[line] = new_line;
        return true;
    }
    // After the section's last non-blank line, so that blank lines before the next
    // section stay where they are.
    size_t insert_at = range.end;
    while (insert_at > range.begin && trimmed(lines_[insert_at - 1]).empty()) {
        --insert_at;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert_at), new_line);
    return true;
}
