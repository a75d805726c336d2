#include "variant.h"

#include "number_text.h"

namespace kestrova::api {

void Variant::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    subscribers_.dispatch(nullptr);
}

// NOTE: a pointer is kept as its full pointer-sized decimal value, so that it
// survives the round trip through text on 64-bit machines.
void Variant::setPointer(const void* value) {
    pointer_ = value;
    setText(decimalText(static_cast<int64_t>(reinterpret_cast<intptr_t>(value))));
}

void Variant::setNumber(int32_t value) { setText(decimalText(value)); }

int32_t Variant::getNumber() const { return readInt32(text_); }

void* Variant::getPointer() const { return reinterpret_cast<void*>(static_cast<intptr_t>(readInt64(text_))); }

}  // namespace kestrova::api
