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

// The account dialogue for an account of another name, in its bucket folder.
Dialogue account_named(const std::string& name) {
    Dialogue dialogue = account;
    dialogue.entries.front().second = name;
    dialogue.bucket_folder = "Account/AscII" + std::to_string(name.front());
    dialogue.file_name = name + ".txt";
    return dialogue;
}

const std::string old_record = "[NAME]\r\naccount-name = acct\r\naccount-password = old\r\n";

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

    // Chooses the dialogue at the menu and types its entries.
    void type_dialogue(const Dialogue& dialogue) {
        press(dialogue.key);
        for (const auto& [prompt, line] : dialogue.entries) answer(prompt, line);
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

    // The operator is told why the record could not be stored.
    void expect_refused(const Dialogue& dialogue, const std::string& reason) {
        const int successes = term().log_count(dialogue.success_message);
        expect_outcome("No se pudo guardar " + native_path(dialogue.record()) + ": " + reason +
                       ". No se ha cambiado nada.");
        EXPECT_EQ(term().log_count(dialogue.success_message), successes);
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
    expect_refused(gm, running_as_root()
                           ? "el disco es de solo lectura"
                           : "no hay permiso para escribir en la carpeta " + native_path(gm.bucket_folder));
    expect_old_record_alone(gm);
}

// A limit on the size of files (ulimit -f) fails the write with its reason;
// it does not end the program in mid-write.
TEST_F(RecordFaults, AFileSizeLimitIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().terminal_settings_are_the_programs, "the file size signal is a POSIX signal");
    under_test.command.insert(under_test.command.begin(), {"prlimit", "--fsize=0", "--"});
    put_old_record(account);
    run_dialogue(account);
    expect_refused(account, "el archivo seria demasiado grande");
    expect_old_record_alone(account);
}

TEST_F(RecordFaults, AMissingBucketFolderIsReportedAndCreatesNothing) {
    make_folder("Account");
    run_dialogue(account);
    expect_refused(account, "no existe la carpeta " + native_path(account.bucket_folder));
    EXPECT_TRUE(entries_of(data() / "Account").empty());
}

// The program killed (a crash) or ended by a signal while the new content is
// half written: the old record stays whole. The signal's handler removes the
// temporary file; only a crash leaves it, for a later write to remove.
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
    if (signal != SIGKILL) {
        expect_old_record_alone(account);
        return;
    }
    EXPECT_EQ(read_file(data() / account.record()), old_record);
    const auto entries = entries_of(data() / account.bucket_folder);
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].rfind(".qkeditor-", 0), 0U) << entries[0];
    EXPECT_FALSE(read_file(data() / account.bucket_folder / entries[0]).empty());
}

// Another program (another operator's sweep of leftovers, say) removes the
// temporary file while the new content is written: the outcome says so, and
// the old record stays.
TEST_F(RecordFaults, ATemporaryFileRemovedByAnotherProgramIsReportedAsSuch) {
    E2E_REQUIRE(!program().crash_point_binary.empty(), "there is no build with a crash point");
    use_crash_point("stop");
    put_old_record(account);
    run_dialogue(account);
    wait_for_stop_mid_write();
    for (const auto& name : entries_of(data() / account.bucket_folder)) {
        if (name != account.file_name) fs::remove(data() / account.bucket_folder / name);
    }
    term().send_signal(SIGCONT);
    expect_refused(
        account,
        "otro programa ha borrado el archivo temporal de esta escritura antes de ponerlo en su sitio");
    expect_old_record_alone(account);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedWrite,
                         ::testing::Values(SIGKILL, SIGTERM, SIGHUP, SIGINT, SIGQUIT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A name cut to its limit after its message is another name than the one
// typed: where a record of the cut name exists, nothing takes its place, in
// either dialogue (an account, or a player's character that would become a GM).
TEST_F(RecordFaults, ACutNameNeverReplacesAnExistingRecord) {
    Dialogue cut_account = account_named("GameMaster");
    cut_account.entries.front().second = "GameMaster2";
    Dialogue cut_gm = gm;
    cut_gm.entries.back().second = "GmNameGmNam";
    cut_gm.file_name = "GmNameGmNa.txt";
    start();
    for (const Dialogue* cut : {&cut_account, &cut_gm}) {
        put_old_record(*cut);
        press(cut->key);
        for (const auto& [prompt, line] : cut->entries) {
            answer(prompt, line);
            if (line.size() > 10) press("V");
        }
        expect_refused(*cut, "ya existe, y el nombre escrito era mas largo, asi que no se reemplaza");
        expect_old_record_alone(*cut);
    }
}

// Run as an ordinary user in folders open to everyone: another user's private
// record and the user's own read-only one are refused, as opening them for
// writing would be; another user's writable record is replaced, becomes the
// user's, and keeps its group, which the user belongs to.
TEST_F(RecordFaults, AnOrdinaryUserReplacesOnlyWhatTheyCouldOpenForWriting) {
    E2E_REQUIRE(program().files_have_posix_owners, "files have no POSIX owners here");
    if (!running_as_root()) GTEST_SKIP() << "needs root to run the program as another user";
    constexpr uid_t user = 65534;
    constexpr gid_t shared_group = 5678;
    under_test.command.insert(under_test.command.begin(),
                              {"setpriv", "--reuid=65534", "--regid=65534", "--groups=5678"});
    fs::permissions(data(), fs::perms::all);
    const Dialogue others = account_named("acct");
    const Dialogue own = account_named("bob");
    const Dialogue writable = account_named("cat");
    for (const auto& [dialogue, owner, group, mode] :
         {std::tuple{&others, 0U, 0U, 0600U}, std::tuple{&own, user, user, 0444U},
          std::tuple{&writable, 0U, shared_group, 0666U}}) {
        make_folder(dialogue->bucket_folder);
        fs::permissions(data() / dialogue->bucket_folder, fs::perms::all);
        write_file(data() / dialogue->record(), old_record);
        ASSERT_EQ(::chown((data() / dialogue->record()).c_str(), owner, group), 0);
        ASSERT_EQ(::chmod((data() / dialogue->record()).c_str(), mode), 0);
    }
    start();
    type_dialogue(others);
    expect_refused(others, "no hay permiso para escribir en ese archivo");
    type_dialogue(own);
    expect_refused(own, "el archivo es de solo lectura");
    type_dialogue(writable);
    expect_outcome(writable.success_message);

    for (const Dialogue* refused : {&others, &own}) expect_old_record_alone(*refused);
    EXPECT_NE(read_file(data() / writable.record()), old_record);
    const struct stat replaced = status_of(data() / writable.record());
    EXPECT_EQ(replaced.st_uid, user);
    EXPECT_EQ(replaced.st_gid, shared_group);
    EXPECT_EQ(replaced.st_mode & 07777, 0666U);
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
    if (running_as_root()) {
        ASSERT_EQ(::chown(record.c_str(), 1234, 5678), 0);
    }
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
    EXPECT_EQ(after.st_mode & 07777, 0755U);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}

// Temporary files that a crash left behind (of the form either platform gives
// them) are removed by the next write into their folder once they are ten
// minutes old by the file system's clock: here the program's own clock is an
// hour ahead, as a machine's may be of a network share's. A younger one may
// be another run's write in progress; nothing else is touched, not even a
// record whose name starts like them.
TEST_F(RecordFaults, OldLeftoversAreRemovedByTheNextWriteAndNothingElse) {
    if (std::string_view(FAKETIME_LIBRARY).empty())
        GTEST_SKIP() << "libfaketime is missing (package faketime)";
    under_test.environment.insert(under_test.environment.end(),
                                  {"LD_PRELOAD=" FAKETIME_LIBRARY, "FAKETIME=+1h", "NO_FAKE_STAT=1"});
    put_old_record(account);
    const fs::path folder = data() / account.bucket_folder;
    const std::vector<std::string> old_ones = {".qkeditor-0ld4Bc", ".qkeditor-1f2e-7",     ".qkeditor-.txt",
                                               ".qkeditor-abc",    ".qkeditor-abcdef.txt", "notes.txt"};
    for (const auto& name : old_ones) write_file(folder / name, "x");
    write_file(folder / ".qkeditor-y0ung1", "x");
    fs::create_directory(folder / ".qkeditor-f0ldr1");
    const auto eleven_minutes_ago = fs::file_time_type::clock::now() - std::chrono::minutes(11);
    for (const auto& name : old_ones) fs::last_write_time(folder / name, eleven_minutes_ago);
    fs::last_write_time(folder / ".qkeditor-f0ldr1", eleven_minutes_ago);
    run_dialogue(account);
    expect_outcome(account.success_message);
    EXPECT_EQ(entries_of(folder),
              (std::vector<std::string>{".qkeditor-.txt", ".qkeditor-abc", ".qkeditor-abcdef.txt",
                                        ".qkeditor-f0ldr1", ".qkeditor-y0ung1", "acct.txt", "notes.txt"}));
    // libfaketime keeps its clock in shared memory named after the process that
    // loaded it, and removes it only when that process exits of itself.
    for (const std::string name : {"faketime_shm_", "sem.faketime_sem_"})
        fs::remove("/dev/shm/" + name + std::to_string(term().program_pid()));
}

}  // namespace
}  // namespace e2e
