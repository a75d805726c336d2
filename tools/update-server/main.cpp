// kestrova-update-server: answers the program's update check, "POST /u.php",
// with nothing (up to date, or no update for those builds) or with the
// signed update body made for the builds it reports (docs/UPDATES.md).
//
//   kestrova-update-server --updates DIR [--port N] [--address A]
//
// NOTE: HTTP comes from libmicrohttpd. The check request is a fixed wire
// format whose lines end in a bare line feed; HTTP allows a server to accept
// that, and libmicrohttpd does, where the cpp-httplib of this distribution
// answers "400 Bad Request".
#include "update_catalog.h"

#include "kestrova/wire/update_request.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace kestrova;

namespace {

constexpr size_t kMaxRequestBody = 1024 * 1024;

struct Upload {
    std::string body;
    bool tooLarge = false;
};

MHD_Result respond(MHD_Connection* connection, unsigned status, std::string_view body,
                   const updateserver::UpdatePackage* package = nullptr) {
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (package) {
        MHD_add_response_header(response, "Content-Type", "application/octet-stream");
        MHD_add_response_header(response, "Kestrova-Signature", package->signatureHex.c_str());
        if (!package->encoding.empty())
            MHD_add_response_header(response, "Content-Encoding", package->encoding.c_str());
    }
    MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result onRequest(void* context, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* data, size_t* size, void** state) {
    auto* catalog = static_cast<const updateserver::UpdateCatalog*>(context);
    if (std::strcmp(method, "POST") != 0 || std::strcmp(url, "/u.php") != 0)
        return respond(connection, MHD_HTTP_NOT_FOUND, "");
    if (*state == nullptr) {
        *state = new Upload;
        return MHD_YES;
    }
    auto* upload = static_cast<Upload*>(*state);
    if (*size != 0) {
        if (upload->body.size() + *size > kMaxRequestBody)
            upload->tooLarge = true;
        else
            upload->body.append(data, *size);
        *size = 0;
        return MHD_YES;
    }
    if (upload->tooLarge) return respond(connection, MHD_HTTP_CONTENT_TOO_LARGE, "");
    auto check = wire::parseUpdateCheckBody(upload->body);
    if (!check) return respond(connection, MHD_HTTP_BAD_REQUEST, "");
    updateserver::CatalogAnswer answer = catalog->answer(check->modules);
    if (!answer.update) return respond(connection, MHD_HTTP_OK, "");
    return respond(connection, MHD_HTTP_OK, answer.update->body, answer.update);
}

void onCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<Upload*>(*state);
    *state = nullptr;
}

int usage() {
    std::fprintf(stderr, "usage: kestrova-update-server --updates DIR [--port N] [--address A]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder, address = "127.0.0.1";
    int port = 8080;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--updates" && hasValue)
            folder = argv[++i];
        else if (arg == "--port" && hasValue)
            port = std::atoi(argv[++i]);
        else if (arg == "--address" && hasValue)
            address = argv[++i];
        else
            return usage();
    }
    if (folder.empty() || port < 0 || port > 65535) return usage();
    std::string error;
    auto catalog = updateserver::UpdateCatalog::load(folder, &error);
    if (!catalog) {
        std::fprintf(stderr, "kestrova-update-server: %s\n", error.c_str());
        return 1;
    }
    sockaddr_in bind{};
    bind.sin_family = AF_INET;
    bind.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &bind.sin_addr) != 1) return usage();

    // The daemon's threads must not take the signals the main thread waits for.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    MHD_Daemon* daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ERROR_LOG, 0, nullptr, nullptr, &onRequest, &*catalog,
        MHD_OPTION_SOCK_ADDR, &bind, MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, nullptr,
        MHD_OPTION_CONNECTION_TIMEOUT, 30u, MHD_OPTION_CONNECTION_LIMIT, 256u, MHD_OPTION_END);
    if (!daemon) {
        std::fprintf(stderr, "kestrova-update-server: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
    std::printf("kestrova-update-server listening on %s:%u with %zu updates\n", address.c_str(),
                info ? info->port : static_cast<unsigned>(port), catalog->size());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    MHD_stop_daemon(daemon);
    return 0;
}
