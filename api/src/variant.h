// A named value held as text, whose subscribers hear when the text changes.
// Numbers and pointers are stored as their signed decimal text, so setting
// the number 5 and then the text "5" changes nothing.
#pragma once

#include "subscription.h"

#include <cstdint>
#include <string>

namespace kestrova::api {

class Variant {
public:
    Variant() = default;
    virtual ~Variant() = default;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    // Stores the text; tells the subscribers only if it differs from the old one.
    virtual void setText(std::string text);
    virtual void setPointer(const void* value);
    virtual void setNumber(int32_t value);
    virtual int32_t getNumber() const;
    virtual void* getPointer() const;

    const std::string& text() const { return text_; }
    SubscriberSet& subscribers() { return subscribers_; }

private:
    std::string text_;
    // NOTE: the pointer is also kept as a pointer, only so that leak checkers
    // scanning memory still see the object a pointer variant refers to.
    const void* pointer_ = nullptr;
    SubscriberSet subscribers_;
};

// A settings-store entry. It behaves as a variant; the settings table is
// separate, so a setting and a variant of the same name are two values.
class Setting : public Variant {};

}  // namespace kestrova::api
