// A developer tool run by an end-to-end test: to its end, or left running
// with its first line of output read (a server's "listening on
// <address>:<port>").
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kestrova::e2e {

class ToolChild {
  public:
    explicit ToolChild(const std::vector<std::string>& args, std::string* firstLine = nullptr);
    // Stops the tool if it still runs (only ever the one child it started).
    ~ToolChild();
    ToolChild(const ToolChild&) = delete;
    ToolChild& operator=(const ToolChild&) = delete;

    // Waits for the end; the exit code, -1 when it did not exit normally.
    int wait();

  private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    FILE* output_ = nullptr;
};

// The port of a "listening on <address>:<port>" line; 0 when there is none.
int listeningPort(const std::string& line);

} // namespace kestrova::e2e
