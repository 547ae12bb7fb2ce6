#include "app/menu.hpp"

int main() {
    return app::run_menu();
}
