#include "console/output.hpp"

#include "platform/platform.hpp"

namespace console {

void print(std::string_view text) {
    platform::write_out(text);
}

void clear_screen() {
    platform::clear_screen();
}

void pause() {
    platform::pause();
}

void quit() {
    platform::exit_process(1);
}

}  // namespace console
