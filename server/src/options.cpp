#include "options.h"

#include "kestrova/wire/packet.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace kestrova::server {
namespace {

template <typename Number>
bool parseNumber(std::string_view text, Number& out) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseMilliseconds(std::string_view text, std::chrono::milliseconds& out) {
    int64_t value = 0;
    if (!parseNumber(text, value) || value <= 0) return false;
    out = std::chrono::milliseconds(value);
    return true;
}

}  // namespace

const char* usageText() {
    return "usage: kestrova-server [options]\n"
           "  --listen ADDRESS            address to listen on (default 127.0.0.1)\n"
           "  --port N                    TCP port, 0 for any free one (default 38535);\n"
           "                              the port in use is printed as \"port N\"\n"
           "  --db PATH                   SQLite database (default kestrova-server.db)\n"
           "  --demo                      add the demo accounts, their group and the echo robot\n"
           "  --create-account NAME PASSWORD\n"
           "                              add an account and exit (PASSWORD \"-\" reads stdin)\n"
           "  --nickname TEXT             nickname of the account being created\n"
           "  --add-accounts FILE|-       add every account of the file (\"-\": standard input),\n"
           "                              one a line: NAME TAB PASSWORD [TAB NICKNAME]; all or none\n"
           "  --plain-auth                offer the plain sign-in instead of the challenge\n"
           "  --setting NAME=VALUE        send this setting to every client that signs in\n"
           "  --logon-timeout-ms N        drop a connection not signed in by then (30000)\n"
           "  --idle-timeout-ms N         drop a signed-in connection silent this long (360000)\n"
           "  --write-timeout-ms N        drop a peer that takes none of our bytes this long (60000)\n"
           "  --resume-window-ms N        keep a dropped session resumable this long (300000)\n"
           "  --max-body BYTES            largest packet body accepted (16777216)\n"
           "  --bridge-key-file PATH      key that seals bridge credentials (default: the\n"
           "                              database's path with .bridge-key; made when missing)\n";
}

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    ServerConfig& config = options.config;
    for (int i = 1; i < argc; ++i) {
        std::string_view option = argv[i];
        auto value = [&](int count = 1) -> bool {
            if (i + count < argc) return true;
            error = std::string(option) + " needs a value";
            return false;
        };
        auto fail = [&](const char* what) {
            error = std::string(option) + ": " + what;
            return false;
        };
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--listen") {
            if (!value()) return false;
            config.address = argv[++i];
        } else if (option == "--port") {
            if (!value()) return false;
            if (!parseNumber(std::string_view(argv[++i]), config.port)) return fail("not a port number");
        } else if (option == "--db") {
            if (!value()) return false;
            options.database = argv[++i];
        } else if (option == "--demo") {
            options.demo = true;
        } else if (option == "--create-account") {
            if (!value(2)) return false;
            NewAccount account{argv[i + 1], argv[i + 2], options.createAccount ? options.createAccount->nickname : ""};
            options.createAccount = account;
            i += 2;
        } else if (option == "--add-accounts") {
            if (!value()) return false;
            options.addAccounts = argv[++i];
        } else if (option == "--nickname") {
            if (!value()) return false;
            if (!options.createAccount) options.createAccount = NewAccount{};
            options.createAccount->nickname = argv[++i];
        } else if (option == "--plain-auth") {
            config.plainAuth = true;
        } else if (option == "--setting") {
            if (!value()) return false;
            std::string_view setting = argv[++i];
            size_t equals = setting.find('=');
            if (equals == std::string_view::npos || equals == 0) return fail("expected NAME=VALUE");
            if (!wire::isLineText(setting)) return fail("a setting cannot hold a line break");
            config.settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
        } else if (option == "--logon-timeout-ms" || option == "--idle-timeout-ms" || option == "--write-timeout-ms" ||
                   option == "--resume-window-ms") {
            if (!value()) return false;
            std::chrono::milliseconds& target = option == "--logon-timeout-ms"  ? config.logonTimeout
                                                : option == "--idle-timeout-ms" ? config.idleTimeout
                                                : option == "--write-timeout-ms" ? config.writeTimeout
                                                                                  : config.resumeWindow;
            if (!parseMilliseconds(argv[++i], target)) return fail("expected a positive number of milliseconds");
        } else if (option == "--bridge-key-file") {
            if (!value()) return false;
            config.bridges.keyFile = argv[++i];
        } else if (option == "--max-body") {
            if (!value()) return false;
            if (!parseNumber(std::string_view(argv[++i]), config.maxBody)) return fail("not a number");
        } else {
            error = "unknown option " + std::string(option);
            return false;
        }
    }
    // The key lives beside the database, not in it; an in-memory database
    // gets a key in memory only.
    if (config.bridges.keyFile.empty() && options.database != ":memory:")
        config.bridges.keyFile = options.database + ".bridge-key";
    if (options.createAccount && options.createAccount->name.empty()) {
        error = "--nickname needs --create-account";
        return false;
    }
    if (options.createAccount && options.addAccounts) {
        error = "--create-account and --add-accounts exclude each other";
        return false;
    }
    return true;
}

}  // namespace kestrova::server
