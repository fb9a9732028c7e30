#pragma once

#include <iosfwd>

// Where a command reads and writes: the process's standard streams in tovik,
// string streams in tests.
struct CommandStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};
