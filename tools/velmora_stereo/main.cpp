// Entry point of velmora-stereo, the desk tool for the stereo cameras.
#include <iostream>
#include <string>
#include <vector>

#include "camera/camera_library.hpp"
#include "tool.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    if (const int failed = velmora::stereo_tool::restart_with_virtual_camera(argv, args, std::cerr); failed >= 0) {
        return failed;
    }
    return velmora::stereo_tool::run_tool(args, std::cin, std::cout, std::cerr);
}
