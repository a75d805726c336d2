// The main window in the test's own process, on the headless display, with a
// fresh core state: the bus, the primary service and the string table are
// the real ones, so what a test sees is what the program shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "main_window.h"
#include "program_folder.h"
#include "shell_commands.h"

namespace shell_testing {

using namespace kestrova;
using namespace kestrova::platform;

class MainWindowScene : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        window_ = shell::MainWindow::create(false);
        ASSERT_TRUE(window_);
        pumpPendingMessages();
    }
    void TearDown() override {
        window_.reset();
        // The main window's end posts the quit message; it is not this test's.
        for (Msg msg; peekMessage(msg, true);) {
        }
        CoreTest::TearDown();
    }

    HWND mainWindow() const { return window_->hwnd(); }
    HWND strip() const { return window_->statusStrip()->hwnd(); }

    // The user's own account, as the connection would have written it.
    static void setPrimary(const kit::ServiceChange& change) {
        kit::OwnedService primary(RY_GetPrimaryService());
        kit::ServiceRecord(primary.get()).write(change);
    }
    static void setState(int32_t state) { bus::set(names::kConnectionState, state); }
    static void setUnread(int32_t unread) { bus::set(names::kMessagesUnread, unread); }

    // A status menu that a service hands out: one entry per text.
    static HMENU menuWith(const std::vector<std::pair<uintptr_t, std::string>>& entries) {
        HMENU menu = createPopupMenu();
        for (const auto& [command, text] : entries)
            appendMenu(menu, MF_STRING, command, text);
        return menu;
    }

    std::unique_ptr<shell::MainWindow> window_;
};

} // namespace shell_testing
