#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv)
{
    // Nothing here writes through C's stdio; unsynchronised, a table of a
    // million lines goes out through the stream's own buffer.
    std::ios::sync_with_stdio(false);
    return RunCli(argc, argv, std::cout, std::cerr);
}
