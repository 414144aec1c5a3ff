#include "app/cli/cli_options.h"

#include <algorithm>

#include "app/cli/cli_usage_error.h"

std::string t_cli_parsed_args::value(const std::string& option, const std::string& fallback) const {
    const auto found = options_.find(option);
    return found == options_.end() ? fallback : found->second;
}

t_cli_parsed_args parse_cli_args(const std::vector<std::string>& args,
                                 std::initializer_list<t_cli_option_rule> rules) {
    t_cli_parsed_args parsed;
    bool options_ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto rule = std::find_if(rules.begin(), rules.end(),
                                       [&name](const auto& s) { return s.name == name; });
        if (rule == rules.end()) {
            throw e_cli_usage("Неизвестный параметр: " + arg);
        }
        if (!rule->takes_value) {
            if (equals != std::string::npos) {
                throw e_cli_usage("Параметр " + name + " не принимает значения: " + arg);
            }
            parsed.set(name, "");
        } else if (equals != std::string::npos) {
            parsed.set(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            parsed.set(name, args[++i]);
        } else {
            throw e_cli_usage("Для параметра " + name + " не указано значение");
        }
    }
    return parsed;
}

void require_operands(const t_cli_parsed_args& parsed, size_t count,
                      const std::string& missing_message) {
    if (parsed.operands.size() < count) {
        throw e_cli_usage(missing_message);
    }
    if (parsed.operands.size() > count) {
        throw e_cli_usage("Лишний аргумент: " + parsed.operands[count]);
    }
}
