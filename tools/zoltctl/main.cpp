// zoltctl: the link without a window.
#include "Ctl.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << zolt::ctl::kUsage;
        return zolt::ctl::kExitDone;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zoltctl " ZOLT_VERSION "\n";
        return zolt::ctl::kExitDone;
    }
    return zolt::ctl::Run(args, zolt::SystemClock(), std::cout, std::cerr, isatty(2) != 0);
}
