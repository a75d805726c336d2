#include <string>
#include <vector>

#include "shell.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return kestrova::shell::runShell(arguments);
}
