// Parsing of a command's own arguments: options with or without a value, and operands.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

struct t_cli_option_rule {
    std::string name;  // "--format", "-o"
    bool takes_value = false;
};

class t_cli_parsed_args {
  public:
    std::vector<std::string> operands;

    bool has(const std::string& option) const { return options_.count(option) != 0; }
    // The option's value; `fallback` when the option was not given.
    std::string value(const std::string& option, const std::string& fallback = {}) const;
    void set(const std::string& option, const std::string& value) { options_[option] = value; }

  private:
    std::map<std::string, std::string> options_;
};

// Options come as "--name", "--name=value", "--name value" or "-o value"; "--" ends the
// options; a later repetition replaces an earlier one. Throws e_cli_usage on an unknown
// option, a missing value, or a value given to a flag.
t_cli_parsed_args parse_cli_args(const std::vector<std::string>& args,
                                 std::initializer_list<t_cli_option_rule> rules);

// Throws e_cli_usage unless there are exactly `count` operands: `missing_message` when
// there are fewer.
void require_operands(const t_cli_parsed_args& parsed, size_t count,
                      const std::string& missing_message);
