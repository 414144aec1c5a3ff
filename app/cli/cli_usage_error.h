// A command line that the tool cannot run: the message names what is wrong.
#pragma once

#include <stdexcept>

class e_cli_usage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
