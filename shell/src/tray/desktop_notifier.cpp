#include "desktop_notifier.h"

namespace kestrova::shell {

// FIXME: the session-bus link comes next; until then no desktop notification is sent.
struct DesktopNotifier::Link {};

std::unique_ptr<DesktopNotifier> DesktopNotifier::connect(platform::HWND) {
    return nullptr;
}

DesktopNotifier::DesktopNotifier(std::unique_ptr<Link> link) : link_(std::move(link)) {}
DesktopNotifier::~DesktopNotifier() = default;
void DesktopNotifier::show(const platform::NotificationRecord&) {}
void DesktopNotifier::withdraw() {}

} // namespace kestrova::shell
