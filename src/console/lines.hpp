// Lines typed by the operator, read from standard input.
#pragma once

#include <string>

namespace console {

// Reads one line from standard input into `field`, without its line feed (and
// without a carriage return just before it). A last line without a line feed
// counts as a line. At the end of input nothing is read and `field` keeps the
// value it had.
void read_line(std::string& field);

}  // namespace console
