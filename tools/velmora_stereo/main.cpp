// Entry point of velmora-stereo, the desk tool for the stereo cameras.
#include <iostream>
#include <string>
#include <vector>

#include "tool.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return velmora::stereo_tool::run_tool(args, std::cin, std::cout, std::cerr);
}
