#include "cli/QuendraScript.h"

#include <iostream>

int main(int argc, char *argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    const int code = quendra::runQuendraScript(args, out, err);
    std::cout << out << std::flush;
    std::cerr << err << std::flush;
    return code;
}
