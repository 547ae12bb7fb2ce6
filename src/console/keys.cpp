#include "console/keys.hpp"

#include <optional>

#include "platform/platform.hpp"

namespace console {
namespace {

// The second code of the last two-code key, until it is read.
std::optional<int> push_back_slot;

}  // namespace

int read_key() {
    if (push_back_slot) {
        const int code = *push_back_slot;
        push_back_slot.reset();
        return code;
    }
    const auto press = platform::wait_key_press();
    if (!press) return key_unreadable;
    if (press->second >= 0) push_back_slot = press->second;
    return press->first;
}

int key_upper(int key) {
    return key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
}

}  // namespace console
