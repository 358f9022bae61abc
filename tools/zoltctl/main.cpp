// zoltctl: the link without a window.
#include "Ctl.h"

#include "link/NetworkPort.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    zolt::PrepareNetworkPorts();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zolt::ctl::Run(args, {zolt::SystemClock()}, std::cout, std::cerr, isatty(2) != 0);
}
