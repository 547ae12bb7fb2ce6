#include "platform/windows/key_table.hpp"

#include <algorithm>
#include <array>

#include "platform/extended_keys.hpp"

namespace platform {
namespace {

struct ScanRow {
    int scan_code;
    bool enhanced;
    KeyRow codes;
};

constexpr std::array scan_rows = {
    ScanRow{71, true, extended_keys::home},
    ScanRow{72, true, extended_keys::up},
    ScanRow{73, true, extended_keys::page_up},
    ScanRow{75, true, extended_keys::left},
    ScanRow{77, true, extended_keys::right},
    ScanRow{79, true, extended_keys::end},
    ScanRow{80, true, extended_keys::down},
    ScanRow{81, true, extended_keys::page_down},
    ScanRow{82, true, extended_keys::insert},
    ScanRow{83, true, extended_keys::del},
    ScanRow{28, true, extended_keys::keypad_enter},
    ScanRow{53, true, {{'/'}, {'?'}, {0, 149}, {0, 164}}},  // keypad /
    ScanRow{71, false, extended_keys::keypad_home},
    ScanRow{72, false, extended_keys::keypad_up},
    ScanRow{73, false, extended_keys::keypad_page_up},
    ScanRow{75, false, extended_keys::keypad_left},
    ScanRow{77, false, extended_keys::keypad_right},
    ScanRow{79, false, extended_keys::keypad_end},
    ScanRow{80, false, extended_keys::keypad_down},
    ScanRow{81, false, extended_keys::keypad_page_down},
    ScanRow{82, false, extended_keys::keypad_insert},
    ScanRow{83, false, extended_keys::keypad_delete},
    ScanRow{59, false, function_key(1)},
    ScanRow{60, false, function_key(2)},
    ScanRow{61, false, function_key(3)},
    ScanRow{62, false, function_key(4)},
    ScanRow{63, false, function_key(5)},
    ScanRow{64, false, function_key(6)},
    ScanRow{65, false, function_key(7)},
    ScanRow{66, false, function_key(8)},
    ScanRow{67, false, function_key(9)},
    ScanRow{68, false, function_key(10)},
    ScanRow{87, false, extended_keys::f11},
    ScanRow{88, false, extended_keys::f12},
};

}  // namespace

std::optional<KeyPress> key_codes(const KeyRecord& record) {
    if (record.character != 0) return KeyPress{record.character};

    const auto* row = std::find_if(scan_rows.begin(), scan_rows.end(), [&record](const ScanRow& row) {
        return row.scan_code == record.scan_code && row.enhanced == record.enhanced;
    });
    if (row == scan_rows.end()) return std::nullopt;

    // Alt wins over Ctrl, and Ctrl over Shift.
    const KeyRow& codes = row->codes;
    const KeyPress& press = record.alt     ? codes.alt
                            : record.ctrl  ? codes.ctrl
                            : record.shift ? codes.shift
                                           : codes.plain;
    if (press == no_key) return std::nullopt;
    return press;
}

}  // namespace platform
