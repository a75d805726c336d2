// A conversation: a contact (one to one) or a group, held by its handle with
// a reference of its own.
#pragma once

#include <utility>

#include "kestrova/api.h"

namespace kestrova::messaging {

class Conversation {
  public:
    Conversation(void* handle, bool isGroup) : handle_(duplicate(handle, isGroup)), isGroup_(isGroup) {}
    ~Conversation() { release(); }
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    void* handle() const { return handle_; }
    bool isGroup() const { return isGroup_; }
    HCONTACT contact() const { return isGroup_ ? nullptr : static_cast<HCONTACT>(handle_); }
    HGROUP group() const { return isGroup_ ? static_cast<HGROUP>(handle_) : nullptr; }

  private:
    static void* duplicate(void* handle, bool isGroup) {
        if (!handle) return nullptr;
        return isGroup ? static_cast<void*>(RY_DuplicateGroupHandle(static_cast<HGROUP>(handle)))
                       : static_cast<void*>(RY_DuplicateContactHandle(static_cast<HCONTACT>(handle)));
    }
    void release() {
        if (!handle_) return;
        if (isGroup_)
            RY_ReleaseGroup(static_cast<HGROUP>(std::exchange(handle_, nullptr)));
        else
            RY_ReleaseContact(static_cast<HCONTACT>(std::exchange(handle_, nullptr)));
    }

    void* handle_;
    bool isGroup_;
};

} // namespace kestrova::messaging
