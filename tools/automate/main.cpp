// kestrova-automate: sends automation commands to a running kestrova and
// prints each reply.
//
//   kestrova-automate [--wait SECONDS] SOCKET COMMAND...
//
// Without commands it reads them from standard input, one a line. --wait
// first waits that long for the program to answer. The exit status is 0 when
// every reply was "OK ...", 1 when one was not, 2 for a usage error.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "automation_client.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    long waitSeconds = 0;
    if (args.size() >= 2 && args[0] == "--wait") {
        waitSeconds = std::strtol(args[1].c_str(), nullptr, 10);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::fputs("usage: kestrova-automate [--wait SECONDS] SOCKET COMMAND...\n", stderr);
        return 2;
    }
    const std::string socket = args.front();
    if (waitSeconds > 0 &&
        !kestrova::automation::waitUntilServing(socket, std::chrono::seconds(waitSeconds))) {
        std::fprintf(stderr, "kestrova-automate: nobody answers on %s\n", socket.c_str());
        return 1;
    }
    std::vector<std::string> commands(args.begin() + 1, args.end());
    if (commands.empty())
        for (std::string line; std::getline(std::cin, line);)
            commands.push_back(line);
    int status = 0;
    for (const std::string& command : commands) {
        std::string reply = kestrova::automation::request(socket, command);
        std::printf("%s\n", reply.empty() ? "ERR no reply" : reply.c_str());
        if (reply.rfind("OK", 0) != 0) status = 1;
    }
    return status;
}
