// Running a piece of a test in a forked child process, for failures that must not touch
// the test process itself (a file-size limit, a signal).
#pragma once

#include <cstdint>
#include <functional>

// Runs `body` in a forked child and returns its exit status (0-255), or -1 when the child
// did not exit normally. The child ends with _exit, so no test state is torn down twice.
int run_in_child(const std::function<int()>& body);

// As run_in_child, with writes beyond `max_file_size` bytes failing (EFBIG) in the child:
// a real short or failed write.
int run_in_child_with_file_size_limit(uint64_t max_file_size, const std::function<int()>& body);
