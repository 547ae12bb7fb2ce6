// A record write that cannot finish must leave the old record whole, leave no
// temporary file behind and never claim success: a crash or a signal in
// mid-write, a full disk, a read-only bucket folder and a missing one. A
// record is replaced only where the operator could have written it, never
// through a link, and keeps its owner and permissions but no set-id bits.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <regex>
#include <sstream>
#include <tuple>
#include <utility>

#include "scenario.hpp"

namespace e2e {
namespace {

// A record dialogue: its menu key, its prompts with the lines typed at them,
// and where it puts its record.
struct Dialogue {
    std::string_view key;
    std::vector<std::pair<std::string_view, std::string>> entries;
    std::string bucket_folder;
    std::string file_name;
    std::string_view success_message;

    std::string record() const { return bucket_folder + "/" + file_name; }
};

const Dialogue account{"2",
                       {{texts::account_name_prompt, "acct"},
                        {texts::password_prompt, "pw"},
                        {texts::email_prompt, "mail"},
                        {texts::question_prompt, "quiz"},
                        {texts::answer_prompt, "answer"}},
                       "Account/AscII97",
                       "acct.txt",
                       texts::account_created};
const Dialogue gm{"4",
                  {{texts::gm_account_prompt, "gmacct"}, {texts::gm_name_prompt, "GmName"}},
                  "Character/AscII71",
                  "GmName.txt",
                  texts::gm_created};

// The account dialogue for an account of another name, in its bucket folder
// (a name of more than 10 characters is cut to them).
Dialogue account_named(const std::string& name) {
    Dialogue dialogue = account;
    dialogue.entries.front().second = name;
    dialogue.bucket_folder = "Account/AscII" + std::to_string(name.front());
    dialogue.file_name = name.substr(0, 10) + ".txt";
    return dialogue;
}

const std::string old_record = "[NAME]\r\naccount-name = acct\r\naccount-password = old\r\n";

// Scripts that make a file system image and mount it (see TempDir::mount_image).
// Their output goes nowhere: a failure's reason is its messages alone.
const std::string exfat = R"(truncate -s 8M "$1" && mkfs.exfat "$1" && d=$(losetup -f --show "$1") &&
    { mount.exfat-fuse -o umask=0 "$d" "$2"; s=$?; losetup -d "$d"; exit $s; })";
const std::string fusefat = R"(truncate -s 8M "$1" && mkfs.vfat "$1" && fusefat -o rw+ "$1" "$2")";

struct stat status_of(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path << ": " << std::strerror(errno);
    return status;
}

class RecordFaults : public Scenario {
protected:
    void put_old_record(const Dialogue& dialogue) {
        make_folder(dialogue.bucket_folder);
        write_file(data() / dialogue.record(), old_record);
    }

    // Chooses the dialogue at the menu and types its entries, going on (V)
    // after one that is too long, which is then cut to its limit.
    void type_dialogue(const Dialogue& dialogue) {
        press(dialogue.key);
        for (const auto& [prompt, line] : dialogue.entries) {
            answer(prompt, line);
            if (line.size() > 10) press("V");
        }
    }

    void run_dialogue(const Dialogue& dialogue) {
        start();
        type_dialogue(dialogue);
    }

    // The build with the crash point, which dies ("kill") or stops ("stop")
    // once half the new content is written.
    void use_crash_point(const std::string& how) {
        under_test.command = {under_test.crash_point_binary};
        under_test.environment.push_back("QKEDITOR_MID_WRITE=" + how);
    }
    void wait_for_stop_mid_write() {
        term().wait_until([&] { return term().process_state() == 'T'; }, "the program to stop in mid-write");
    }

    // The operator is told why the record could not be stored (and what to
    // do), and, last, what that left.
    void expect_refused(const Dialogue& dialogue, const std::string& reason,
                        const std::string& left = "No se ha cambiado nada.") {
        const int successes = term().log_count(dialogue.success_message);
        wait_for_message("No se pudo guardar el registro " + native_path(dialogue.record()) + ": " + reason);
        expect_outcome(left + " " + pause_line());
        EXPECT_EQ(term().log_count(dialogue.success_message), successes);
    }

    // The short name of `dialogue`'s record, as the listing gives it before
    // the long name ("GAME~BGG" for GameMaster.txt under Wine).
    std::string short_name(const Dialogue& dialogue) {
        Launch listing{.argv = program().short_names_listing,
                       .environment = environment_with(program().environment)};
        listing.directory = data() / dialogue.bucket_folder;
        listing.stdout_path = data() / "listing.txt";
        EXPECT_TRUE(wait_child(spawn(listing), program().timeout));
        const std::string text = read_file(listing.stdout_path);
        const auto start = text.rfind(' ', text.find(" " + dialogue.file_name + "\r") - 1) + 1;
        return text.substr(start, text.find('.', start) - start);
    }

    // The old record is there, byte for byte, and nothing else is.
    void expect_old_record_alone(const Dialogue& dialogue) {
        EXPECT_EQ(read_file(data() / dialogue.record()), old_record);
        EXPECT_EQ(entries_of(data() / dialogue.bucket_folder), std::vector<std::string>{dialogue.file_name});
    }
};

TEST_F(RecordFaults, AFullDiskIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().sees_test_mounts, "the program does not see the test's small disk");
    if (!running_as_root()) GTEST_SKIP() << "needs root to mount a small tmpfs for the full disk";
    const std::string refused = term().data_dir().mount_small_disk(std::size_t{64} * 1024);
    if (!refused.empty()) GTEST_SKIP() << refused;
    put_old_record(account);
    term().data_dir().fill_disk();

    run_dialogue(account);
    expect_refused(account, "no queda espacio en el disco");
    expect_old_record_alone(account);
}

TEST_F(RecordFaults, AReadOnlyBucketFolderIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().sees_test_mounts, "the program does not see the test's read-only mount");
    put_old_record(gm);
    const std::string refused = term().data_dir().make_read_only(gm.bucket_folder);
    if (!refused.empty()) GTEST_SKIP() << refused;

    run_dialogue(gm);
    // Root writes through permissions, so for root the folder is a read-only mount.
    expect_refused(gm, running_as_root() ? "el disco es de solo lectura"
                                         : "no hay permiso para crear archivos en la carpeta " +
                                               native_path(gm.bucket_folder));
    expect_old_record_alone(gm);
}

// A limit on the size of files (ulimit -f) fails the write with its reason;
// it does not end the program in mid-write.
TEST_F(RecordFaults, AFileSizeLimitIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().terminal_settings_are_the_programs, "the file size signal is a POSIX signal");
    under_test.command.insert(under_test.command.begin(), {"prlimit", "--fsize=0", "--"});
    put_old_record(account);
    run_dialogue(account);
    expect_refused(account, "el registro seria demasiado grande");
    expect_old_record_alone(account);
}

// Refused on both platforms, each for its own reason, with the next step:
// a missing tree (its message as an 80-column console shows it) or bucket
// folder, and a file in its place.
TEST_F(RecordFaults, AMissingBucketFolderOrAFileInItsPlaceIsReportedAndCreatesNothing) {
    run_dialogue(account);
    // clang-format off
    term().wait_for_screen("No se pudo guardar el registro " + native_path(account.record()) + ": no existe la carpeta\nAccount. Cree las "
                           "carpetas con la opcion 1 del menu (Crear Carpetas) y vuelva a\ncrear el registro.\nNo se ha cambiado nada.\n" + pause_line());
    // clang-format on
    back_to_menu();
    make_folder("Account");
    write_file(data() / "Account/AscII98", "");
    type_dialogue(account);
    expect_refused(account, "no existe la carpeta " + native_path(account.bucket_folder) +
                                ". Cree las carpetas con la opcion 1 del menu (Crear Carpetas)");
    type_dialogue(account_named("bob"));
    expect_refused(account_named("bob"), native_path("Account/AscII98") + " es un archivo, no una carpeta");
    EXPECT_EQ(entries_of(data() / "Account"), std::vector<std::string>{"AscII98"});
}

// The program killed (a crash) or ended by a signal while the new content is
// half written: the old record stays whole. The signal's handler removes the
// temporary file; only a crash leaves it, under the record's temporary name,
// for the record's next write to remove.
class InterruptedWrite : public RecordFaults, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptedWrite, LeavesTheOldRecordWhole) {
    E2E_REQUIRE(!program().crash_point_binary.empty(), "there is no build with a crash point");
    const int signal = GetParam();
    use_crash_point(signal == SIGKILL ? "kill" : "stop");
    put_old_record(account);
    run_dialogue(account);
    if (signal != SIGKILL) {
        wait_for_stop_mid_write();
        term().send_signal(signal);
        term().send_signal(SIGCONT);
    }
    const Ending ending = term().wait_for_exit();
    EXPECT_TRUE(ending.signaled && ending.signal == signal) << ending.describe();
    EXPECT_EQ(term().log_count(account.success_message), 0);
    EXPECT_EQ(read_file(data() / account.record()), old_record);
    EXPECT_EQ(entries_of(data() / account.bucket_folder),
              (signal == SIGKILL ? std::vector<std::string>{".qkeditor-acct.txt.tmp", "acct.txt"}
                                 : std::vector<std::string>{"acct.txt"}));
    EXPECT_TRUE(signal != SIGKILL ||
                !read_file(data() / account.bucket_folder / ".qkeditor-acct.txt.tmp").empty());
}

// Another program acts while a write is stopped: it removes the temporary
// file (another operator's sweep, say); where no-replace renames and links
// are missing (exFAT), it puts a record under a cut name before the name is
// claimed, or in the place of the claim. The outcome says so, and the
// record stays as the other program left it.
TEST_F(RecordFaults, WhatAnotherProgramDoesMidWriteIsReportedAndReplacesNothing) {
    E2E_REQUIRE(!program().crash_point_binary.empty(), "there is no build with a crash point");
    use_crash_point("stop");
    make_folder("Account");
    const std::string unmounted = term().data_dir().mount_image("Account", exfat);
    put_old_record(account);
    start();
    const std::string temporary_gone =
        "otro programa ha borrado el archivo temporal de esta escritura antes de ponerlo en su sitio";
    // Stops: in mid-write, then before the claim of the name and after it.
    for (const auto& [dialogue, stops, reason] :
         {std::tuple{account, 1, temporary_gone},
          {account_named("GameMaster2"), 2,
           "ya existe, y el nombre escrito era mas largo, asi que no se reemplaza"},
          {account_named("ClaimTaken1"), 3, temporary_gone}}) {
        if (stops > 1 && !unmounted.empty()) GTEST_SKIP() << unmounted;
        make_folder(dialogue.bucket_folder);
        type_dialogue(dialogue);
        for (int stop = 1; stop <= stops; ++stop) {
            if (stop > 1) term().send_signal(SIGCONT);
            wait_for_stop_mid_write();
        }
        if (stops != 2)
            fs::remove(data() / dialogue.bucket_folder / (".qkeditor-" + dialogue.file_name + ".tmp"));
        if (stops > 1)
            fs::remove(data() / dialogue.record()), write_file(data() / dialogue.record(), old_record);
        term().send_signal(SIGCONT);
        expect_refused(dialogue, reason);
        expect_old_record_alone(dialogue);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedWrite,
                         ::testing::Values(SIGKILL, SIGTERM, SIGHUP, SIGINT, SIGQUIT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// Under Wine the wineserver replaces a record in three steps: the old one
// renamed aside and removed, then the new one renamed in. Where every rename
// fails from the second on, no rename can keep the new content, the only
// copy of the record: it is written anew under a name that no sweep takes.
// A read-only record (a file without write permission, under Wine) is
// refused as such before anything is renamed.
TEST_F(RecordFaults, TheOnlyCopyOfARecordIsKeptWhereNoRenameWorks) {
    // Wine's prefix comes first in its environment.
    const std::string prefix = under_test.environment.empty() ? "" : under_test.environment.front();
    E2E_REQUIRE(prefix.starts_with("WINEPREFIX="), "only Wine's server replaces a record in steps");
    TempDir own_server("qkeditor-wine");  // a prefix of its own has a server of its own
    const std::string overlay =
        "lowerdir=" + prefix.substr(11) + R"(,upperdir="$1",workdir="$1.w" overlay "$2")";
    const std::string why =
        own_server.mount_image("prefix", R"(mkdir "$1" "$1.w" "$2" && mount -t overlay -o )" + overlay);
    if (!why.empty()) GTEST_SKIP() << why;
    under_test.environment.push_back("WINEPREFIX=" + (own_server.path() / "prefix").string());
    under_test.command.insert(under_test.command.begin(), {"strace", "-f", "-o/dev/null", "-etrace=rename",
                                                           "-einject=rename:error=EACCES:when=2+"});
    put_old_record(account);
    put_old_record(gm);
    fs::permissions(data() / gm.record(), fs::perms::owner_read);
    run_dialogue(gm);
    // clang-format off
    expect_refused(gm, "el registro es de solo lectura. Quitele esa marca con esta orden y vuelva a crear el registro: attrib -r " +
                       native_path(gm.record()));
    type_dialogue(account);
    const std::string kept = native_path("Z:" + (data() / account.record()).string() + ".nuevo");
    expect_outcome("Ha quedado el registro nuevo en " + kept + ", y el anterior ya no esta. Pongalo en su sitio con esta orden: ren " +
                   kept + " acct.txt");
    // clang-format on
    EXPECT_EQ(entries_of(data() / account.bucket_folder), std::vector<std::string>{"acct.txt.nuevo"});
    EXPECT_NE(read_file(data() / (account.record() + ".nuevo")).find("password = pw"), std::string::npos);
}

// A name cut to its limit after its message is another name than the one
// typed: where a record of the cut name exists, nothing takes its place, in
// either dialogue (an account, or a player's character that would become a GM);
// an empty file is no record (a crash left it), and the cut name's record
// replaces it, saying so.
// Nor does a short (8.3) name that the file system also finds a record by,
// where it gives files such names; the record's own name in other letter
// case still replaces it, as the server finds it by that name too.
TEST_F(RecordFaults, ACutOrShortNameNeverReplacesAnotherRecord) {
    Dialogue cut_account = account_named("GameMaster2");
    Dialogue cut_gm = gm;
    cut_gm.entries.back().second = "GmNameGmNam";
    cut_gm.file_name = "GmNameGmNa.txt";
    start();
    for (const Dialogue* cut : {&cut_account, &cut_gm}) {
        put_old_record(*cut);
        type_dialogue(*cut);
        expect_refused(*cut, "ya existe, y el nombre escrito era mas largo, asi que no se reemplaza");
        expect_old_record_alone(*cut);
    }
    const Dialogue emptied = account_named("EmptyEmpty1");
    make_folder(emptied.bucket_folder);
    write_file(data() / emptied.record(), "");
    type_dialogue(emptied);
    expect_outcome("Se ha reemplazado un archivo vacio que dejo una escritura interrumpida.");
    if (program().short_names_listing.empty()) return;  // the test's POSIX folders have none
    for (const Dialogue* named : {&cut_account, &cut_gm}) {
        const std::string alias = short_name(*named);
        Dialogue typed = *named;
        typed.file_name = alias + ".txt";
        (typed.key == account.key ? typed.entries.front() : typed.entries.back()).second = alias;
        type_dialogue(typed);
        expect_refused(typed, "es el nombre corto de otro registro, " + native_path(named->record()) +
                                  ", asi que no se reemplaza");
        expect_old_record_alone(*named);
    }
    type_dialogue(account_named("GAMEMASTER"));
    expect_outcome(account.success_message);
    // Wine gives the record the letter case typed.
    EXPECT_EQ(entries_of(data() / cut_account.bucket_folder), std::vector<std::string>{"GAMEMASTER.txt"});
    EXPECT_NE(read_file(data() / cut_account.bucket_folder / "GAMEMASTER.txt"), old_record);
}

// Run as an ordinary user in folders open to everyone: another user's private
// record and the user's own read-only one are refused, as opening them for
// writing would be, and another user's writable one in a sticky folder, which
// lets only a file's owner replace it; another user's writable record is
// replaced, becomes the user's, and keeps its group, which the user belongs to.
TEST_F(RecordFaults, AnOrdinaryUserReplacesOnlyWhatTheyCouldOpenForWriting) {
    E2E_REQUIRE(program().files_have_posix_owners, "files have no POSIX owners here");
    if (!running_as_root()) GTEST_SKIP() << "needs root to run the program as another user";
    constexpr uid_t user = 65534;
    constexpr gid_t shared_group = 5678;
    under_test.command.insert(under_test.command.begin(),
                              {"setpriv", "--reuid=65534", "--regid=65534", "--groups=5678"});
    fs::permissions(data(), fs::perms::all);
    const Dialogue others = account_named("acct");
    const Dialogue own = account_named("bob's pw");
    const Dialogue writable = account_named("cat");
    const Dialogue sticky = account_named("dan");
    for (const auto& [dialogue, owner, group, mode] :
         {std::tuple{&others, 0U, 0U, 0600U}, std::tuple{&own, user, user, 0444U},
          std::tuple{&writable, 0U, shared_group, 0666U}, std::tuple{&sticky, 0U, 0U, 0666U}}) {
        make_folder(dialogue->bucket_folder);
        fs::permissions(data() / dialogue->bucket_folder, fs::perms::all);
        write_file(data() / dialogue->record(), old_record);
        ASSERT_EQ(::chown((data() / dialogue->record()).c_str(), owner, group), 0);
        ASSERT_EQ(::chmod((data() / dialogue->record()).c_str(), mode), 0);
    }
    fs::permissions(data() / sticky.bucket_folder, fs::perms::sticky_bit, fs::perm_options::add);
    start();
    // clang-format off
    const std::string users = " (el programa se ejecuta como nobody, y el registro es de root). Inicie el programa como root, o pida a root ";
    for (const auto& [refused, reason] :
         {std::pair{&others, "no hay permiso para escribir en el registro" + users + "permiso de escritura"},
          {&own, "el registro es de solo lectura. Quitele esa marca con esta orden y vuelva a crear el registro: chmod u+w 'Account/AscII98/bob'\\''s pw.txt'"},
          {&sticky, "en la carpeta " + sticky.bucket_folder + " solo el propietario de un registro puede reemplazarlo" + users + "que lo borre"}}) {
        // clang-format on
        type_dialogue(*refused);
        expect_refused(*refused, reason);
        expect_old_record_alone(*refused);
    }
    type_dialogue(writable);
    expect_outcome(writable.success_message);

    EXPECT_NE(read_file(data() / writable.record()), old_record);
    const struct stat replaced = status_of(data() / writable.record());
    EXPECT_EQ(std::tuple(replaced.st_uid, replaced.st_gid, replaced.st_mode & 07777),
              std::tuple(user, shared_group, 0666U));
    EXPECT_EQ(entries_of(data() / writable.bucket_folder), std::vector<std::string>{writable.file_name});
}

// A record that is a symbolic link is refused: nothing is written through
// it, and the link stays. A replaced record keeps its owner and permission
// bits, never the set-id and sticky bits.
TEST_F(RecordFaults, ALinkIsRefusedAndAReplacedRecordKeepsItsOwnerButNoSetIdBits) {
    E2E_REQUIRE(program().files_have_posix_owners, "files have no POSIX owners or links here");
    const Dialogue linked = account_named("link");
    make_folder(linked.bucket_folder);
    write_file(data() / "elsewhere.txt", old_record);
    fs::create_symlink(data() / "elsewhere.txt", data() / linked.record());
    put_old_record(account);
    const fs::path record = data() / account.record();
    ASSERT_EQ(running_as_root() ? ::chown(record.c_str(), 1234, 5678) : 0, 0);  // root only
    ASSERT_EQ(::chmod(record.c_str(), 06755), 0);  // after the owner, whose change drops set-id bits
    const struct stat before = status_of(record);
    ASSERT_EQ(before.st_mode & 07777, 06755U);

    start();
    type_dialogue(linked);
    expect_refused(linked, "es un enlace simbolico, y no se escribe a traves de el");
    type_dialogue(account);
    expect_outcome(account.success_message);

    EXPECT_TRUE(fs::is_symlink(data() / linked.record()));
    EXPECT_EQ(read_file(data() / "elsewhere.txt"), old_record);
    EXPECT_EQ(entries_of(data() / linked.bucket_folder), std::vector<std::string>{linked.file_name});
    const struct stat after = status_of(record);
    EXPECT_EQ(std::tuple(after.st_mode & 07777, after.st_uid, after.st_gid),
              std::tuple(0755U, before.st_uid, before.st_gid));
}

// Temporary files that crashes left behind, of every form either platform
// gives them, are removed once ten minutes old by the file system's clock:
// the record's own by its next write, which looks for no other, and every
// other by option "1", in the buckets of both trees. Here the program's own
// clock is an hour ahead, as a machine's may be of a network share's (and
// the times that fstat gives with it, not fstatat's). A younger one may be a
// write in progress; nothing else is touched, not even a record whose name
// starts like them.
TEST_F(RecordFaults, OldLeftoversAreRemovedByTheirRecordsNextWriteOrByOptionOne) {
    if (std::string_view(FAKETIME_LIBRARY).empty())
        GTEST_SKIP() << "libfaketime is missing (package faketime)";
    under_test.environment.insert(under_test.environment.end(),
                                  {"LD_PRELOAD=" FAKETIME_LIBRARY, "FAKETIME=+1h"});
    put_old_record(account);
    put_old_record(gm);
    const fs::path folder = data() / account.bucket_folder;
    const fs::path gm_leftover = data() / gm.bucket_folder / ".qkeditor-GmName.txt.tmp";
    // An old ".nuevo" is the only copy of a record that Windows could not put in place.
    const std::vector<std::string> old_ones = {
        ".qkeditor-acct.txt.tmp", ".qkeditor-0ld4Bc", ".qkeditor-1f2e-7",     ".qkeditor-.txt",
        ".qkeditor-.txt.tmp",     ".qkeditor-abc",    ".qkeditor-abcdef.txt", ".qkeditor-bob.txt.tmp",
        "acct.txt.nuevo",         "notes.txt"};
    for (const auto& name : old_ones) write_file(folder / name, "x");
    write_file(folder / ".qkeditor-y0ung1", "x");
    write_file(gm_leftover, "x");
    fs::create_directory(folder / ".qkeditor-f0ldr1");
    const auto now = fs::file_time_type::clock::now();
    for (const auto& name : old_ones) fs::last_write_time(folder / name, now - std::chrono::minutes(11));
    for (const fs::path& path : {folder / ".qkeditor-f0ldr1", gm_leftover})
        fs::last_write_time(path, now - std::chrono::minutes(11));
    fs::last_write_time(folder / ".qkeditor-y0ung1", now - std::chrono::minutes(9));
    run_dialogue(account);
    expect_outcome(account.success_message);
    EXPECT_FALSE(fs::exists(folder / ".qkeditor-acct.txt.tmp"));
    EXPECT_TRUE(fs::exists(folder / ".qkeditor-bob.txt.tmp"));
    press("1");
    expect_outcome(texts::creating_folder(249));
    EXPECT_EQ(entries_of(folder),
              (std::vector<std::string>{".qkeditor-.txt", ".qkeditor-.txt.tmp", ".qkeditor-abc",
                                        ".qkeditor-abcdef.txt", ".qkeditor-f0ldr1", ".qkeditor-y0ung1",
                                        "acct.txt", "acct.txt.nuevo", "notes.txt"}));
    EXPECT_EQ(entries_of(data() / gm.bucket_folder), std::vector<std::string>{gm.file_name});
    // libfaketime keeps its clock in shared memory named after the process that
    // loaded it, and removes it only when that process exits of itself.
    for (const std::string name : {"faketime_shm_", "sem.faketime_sem_"})
        fs::remove("/dev/shm/" + name + std::to_string(term().program_pid()));
}

// The writer's rules in the calls it makes, as strace lists them (and makes
// some fail, as file systems and filters do), and on FUSE file systems without
// no-replace renames, hard links or modes of the program's choosing: a cut
// name whose record does not exist yet is written, its modes and content on
// disk before it takes its name, and its name on disk after; a record that
// appeared meanwhile is never replaced; a record's own name in other letter
// case replaces it where lookups ignore case; a failure leaves nothing
// behind, or says what it left (an empty claim, which the next write of the
// name replaces).
struct WriterCase {
    std::string name;
    std::string faults;  // strace's inject= options, separated by spaces
    std::string mount;   // a script that makes and mounts the bucket folder's file system
    bool ordinary_user;
    std::string calls;                             // the writer's calls, in order
    std::string reason;                            // why nothing was stored; empty when the record was
    std::string typed = "GameMaster2";             // the account name, cut to GameMaster
    const char* before = nullptr;                  // GameMaster.txt before the write
    std::string left = "No se ha cambiado nada.";  // what the message says a failure left
};

class WriterCalls : public RecordFaults, public ::testing::WithParamInterface<WriterCase> {};

TEST_P(WriterCalls, PutTheRecordOnDiskBeforeItsNameOrLeaveNothing) {
    E2E_REQUIRE(program().files_have_posix_owners, "strace would see Wine's calls, not the program's own");
    E2E_REQUIRE(fs::exists("/usr/bin/strace"), "needs strace (package strace)");
    const WriterCase& row = GetParam();
    std::vector<std::string> run = {"strace", "-ocalls.txt",
                                    "-etrace=fchmod,fsync,rename,renameat2,link,unlink"};
    std::istringstream faults(row.faults);
    for (std::string fault; faults >> fault;) run.push_back("-einject=" + fault);
    if (row.ordinary_user)
        run.insert(run.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    under_test.command.insert(under_test.command.begin(), run.begin(), run.end());
    const Dialogue cut = account_named(row.typed);
    make_folder(cut.bucket_folder);
    fs::permissions(data(), fs::perms::all);
    const std::string why =
        row.mount.empty() ? "" : term().data_dir().mount_image(cut.bucket_folder, row.mount);
    if (!why.empty()) GTEST_SKIP() << why;
    if (row.before != nullptr) write_file(data() / cut.bucket_folder / "GameMaster.txt", row.before);
    run_dialogue(cut);
    row.reason.empty() ? expect_outcome(cut.success_message) : expect_refused(cut, row.reason, row.left);
    const bool record_there = row.reason.empty() || row.left != WriterCase{}.left;  // or an empty claim
    EXPECT_EQ(entries_of(data() / cut.bucket_folder),
              record_there ? std::vector{cut.file_name} : std::vector<std::string>{});
    // One line per call: its name, then "(" and the rest.
    EXPECT_EQ(std::regex_replace(read_file(data() / "calls.txt"), std::regex(R"(\(.*\n?)"), " "),
              row.calls + " ");
}

const std::string on_a_claim = "fchmod fsync renameat2 link rename fsync";

// clang-format off
INSTANTIATE_TEST_SUITE_P(FileSystems, WriterCalls, ::testing::Values(
    WriterCase{"NoReplaceRenameNorLinksUnderAFilter", "renameat2:error=EPERM link:error=EPERM", "", false, on_a_claim, ""},
    WriterCase{"NothingWorks", "renameat2:error=ENOSYS link:error=EOPNOTSUPP rename:error=EEXIST", "", false,
               "fchmod fsync renameat2 link rename unlink unlink", "el sistema de archivos no permite poner el registro en su sitio"},
    WriterCase{"NameTakenMeanwhile", "renameat2:error=EEXIST", "", false, "fchmod fsync renameat2 unlink",
               "ya existe, y el nombre escrito era mas largo, asi que no se reemplaza"},
    WriterCase{"ModesDecidedByTheFileSystem", "fchmod:error=ENOSYS", "", false, "fchmod fsync renameat2 fsync", ""},
    WriterCase{"RecordNotOnDisk", "fsync:error=EIO:when=1", "", false, "fchmod fsync unlink", "el disco ha fallado al leer o escribir"},
    WriterCase{"ExFatUmaskMountAsAUser", "", exfat, true, on_a_claim, ""},
    WriterCase{"Fusefat", "", fusefat, false, on_a_claim, ""},
    WriterCase{"ExFatClaimNeitherTakenNorRemoved", "rename:error=EIO unlink:error=EIO:when=1", exfat, false,
               "fchmod fsync renameat2 link rename unlink unlink", "el disco ha fallado al leer o escribir", "GameMaster2",
               nullptr, "Ha quedado un archivo vacio con el nombre del registro: la proxima vez que cree el registro, lo reemplaza."},
    WriterCase{"ExFatRecordInOtherLetterCase", "", exfat, false, "fchmod fsync rename fsync", "", "GAMEMASTER",
               old_record.c_str()}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace e2e
