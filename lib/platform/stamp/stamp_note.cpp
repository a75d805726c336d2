// Linked into every module: the ELF note that carries the module's build
// stamp. The post-link tool kestrova-stamp fills in the time.
#include <cstdint>

namespace {

struct StampNote {
    uint32_t nameSize;
    uint32_t descriptionSize;
    uint32_t type;
    char name[12];
    uint32_t stamp;
};

__attribute__((section(".note.kestrova.stamp"), used, aligned(4)))
const StampNote kStampNote = {9, 4, 0x4B53, "Kestrova", 0};

}  // namespace
