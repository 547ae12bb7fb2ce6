#include "records/gm_file.hpp"

#include <array>

#include "console/dialogue.hpp"
#include "console/output.hpp"
#include "records/bucket.hpp"
#include "records/image_text.hpp"
#include "records/record_writer.hpp"

namespace records {
namespace {

// The server's field sizes.
constexpr std::size_t account_limit = 10;
constexpr std::size_t name_limit = 10;

// Kept for the whole run; the next run of the dialogue overwrites them.
GmEntries entries;

}  // namespace

std::string gm_image(const GmEntries& entries, const platform::Timestamp& time) {
    const std::array<std::string, 99> lines = {
        "[FILE-DATE]",
        "",
        "file-saved-date: " + time_fields(time, ' '),
        "",
        "[NAME-ACCOUNT]",
        "",
        "character-name     = " + entries.name,
        "account-name       = " + entries.account,
        "",
        "[STATUS]",
        "",
        "character-profile \t= __________",
        "character-location   = NONE",
        "character-guild-name = NONE",
        "character-guild-GUID = -1",
        "character-guild-rank = -1",
        "character-loc-map = default",
        "character-loc-x   = -1",
        "character-loc-y   = -1",
        "",
        "character-HP       = 5000000",
        "character-MP       = 5000000",
        "character-SP       = 5000000",
        "character-LEVEL    = 376",
        "character-RATING   = 0",
        "character-STR      = 200",
        "character-INT      = 200",
        "character-VIT      = 200",
        "character-DEX      = 200",
        "character-MAG      = 200",
        "character-CHARISMA = 195",
        "character-LUCK     = 10",
        "character-EXP      = 120334307",
        "character-LU_Pool  = 3",
        "character-EK-Count = 5000",
        "character-PK-Coutn = 0",
        "character-reward-gold = 5000000",
        "character-downskillindex = -1",
        "character-IDnum1 = 0",
        "character-IDnum2 = 0",
        "character-IDnum3 = 0",
        "sex-status       = 1",
        "skin-status      = 2",
        "hairstyle-status = 3",
        "haircolor-status = 13",
        "underwear-status = 7",
        "hunger-status    = 100",
        "timeleft-shutup  = 0",
        "timeleft-rating  = 0",
        "timeleft-force-recall  = 0",
        "timeleft-firm-staminar = 0",
        "admin-user-level = 5",
        "penalty-block-date = 0 0 0",
        "character-quest-number = 0",
        "character-quest-ID     = 0",
        "current-quest-count    = 0",
        "quest-reward-type      = 0",
        "quest-reward-amount    = 0",
        "character-contribution = 5000",
        "character-war-contribution = 0",
        "character-quest-completed  = 0",
        "special-event-id = 0",
        "super-attack-left = 2000",
        "reserved-fightzone-id = 0 0 0",
        "special-ability-time = 0",
        "locked-map-name = NONE",
        "locked-map-time = 0",
        "crusade-job     = 0",
        "crusade-GUID    = 0",
        "construct-point = 0",
        "dead-penalty-time = 0",
        "party-id = 0",
        "gizon-item-upgrade-left = 1500",
        "",
        "",
        "appr1 = 0",
        "appr2 = 0",
        "appr3 = 0",
        "appr4 = 0",
        "appr-color = 0",
        "",
        "[ITEM-LIST]",
        "",
        "",
        "",
        "[MAGIC-SKILL-MASTERY]",
        "",
        "//" + repeated("-", 18) + repeated("0123456789", 5) + "0",
        "magic-mastery = " + repeated("1", 100),
        "skill-mastery = " + repeated("100 ", 60),
        "skill-SSN = " + repeated("0 ", 60),
        "",
        "[ITEM-EQUIP-STATUS]",
        "",
        "item-equip-status = " + repeated("0", 50),
        "item-position-x = " + repeated("0 ", 50),
        "item-position-y = " + repeated("0 ", 50),
        "",
        "[EOF]",
    };
    return lines_joined(lines);
}

void create_gm() {
    console::clear_screen();
    console::Dialogue dialogue;
    dialogue.ask_limited("Introduce el account del GM: ", entries.account, account_limit,
                         "\nLa cuenta no puede tener mas de 10 caracteres!\n", "La cuenta del GM",
                         console::LimitedEntry::shown);
    dialogue.ask_limited("Introduce el nombre del GM: ", entries.name, name_limit,
                         "\nEl nombre del GM no puede tener mas de 10 caracteres!\n", "El nombre del GM",
                         console::LimitedEntry::record_name);
    write_record(
        character_tree, entries.name, [](const platform::Timestamp& time) { return gm_image(entries, time); },
        "\n\nGM creado exitosamente!\n", dialogue);
}

}  // namespace records
