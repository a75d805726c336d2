#include "check_request.h"

#include "kestrova/platform/build_stamp.h"
#include "kestrova/platform/module.h"
#include "kestrova/wire/packet.h"
#include "kestrova/wire/update_body.h"

namespace kestrova::updates {

std::vector<wire::ModuleBuild> listModuleBuilds(const std::filesystem::path& folder,
                                                std::string_view programName) {
    std::vector<wire::ModuleBuild> modules;
    auto add = [&](const std::filesystem::path& path) {
        std::string name = path.filename().string();
        if (!wire::isSafeUpdateFileName(name) || !wire::isPlainXmlText(name)) return;
        auto stamp = platform::readBuildStamp(path);
        if (stamp && *stamp != 0) modules.push_back({name, static_cast<int32_t>(*stamp)});
    };
    for (const auto& path : platform::findFiles(folder, "*")) {
        std::string name = path.filename().string();
        std::string extension = path.extension().string();
        for (char& c : extension)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == programName || extension == ".so") add(path);
    }
    return modules;
}

std::optional<std::string> checkRequest(std::string_view host, const wire::UpdateCheck& check) {
    if (host.empty() || host.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::nullopt;
    wire::Packet request("POST /u.php HTTP/1.0");
    request.setHeader("Host", host);
    request.setHeader("Content-Type", "text/xml");
    request.setBody(wire::updateCheckBody(check));
    return request.serialise();
}

} // namespace kestrova::updates
