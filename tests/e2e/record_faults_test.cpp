// A record write that cannot finish must leave the old record whole, leave no
// temporary file behind and never claim success: a crash in mid-write, a full
// disk, a read-only bucket folder and a missing one.
#include <csignal>
#include <utility>

#include "scenario.hpp"

namespace e2e {
namespace {

// A record dialogue: its menu key, its prompts with the lines typed at them,
// and where it puts its record.
struct Dialogue {
    std::string_view key;
    std::vector<std::pair<std::string_view, std::string_view>> entries;
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

const std::string old_record = "[NAME]\r\naccount-name = acct\r\naccount-password = old\r\n";

class RecordFaults : public Scenario {
protected:
    void put_old_record(const Dialogue& dialogue) {
        make_folder(dialogue.bucket_folder);
        write_file(data() / dialogue.record(), old_record);
    }

    // Starts the program, chooses the dialogue and types its entries.
    void run_dialogue(const Dialogue& dialogue) {
        start();
        press(dialogue.key);
        for (const auto& [prompt, line] : dialogue.entries) answer(prompt, line);
    }

    // The operator is told why the record could not be stored, and the
    // program goes on to the menu.
    void expect_refused(const Dialogue& dialogue, const std::string& reason) {
        wait_for_pause();
        term().wait_for_screen("No se pudo guardar " + native_path(dialogue.record()) + ": " + reason +
                               ". No se ha cambiado nada.");
        EXPECT_EQ(term().log_count(dialogue.success_message), 0);
        press(keys::enter);
        expect_menu_only();
    }

    // The old record is there, byte for byte, and nothing else is.
    void expect_old_record_alone(const Dialogue& dialogue) {
        EXPECT_EQ(read_file(data() / dialogue.record()), old_record);
        EXPECT_EQ(entries_of(data() / dialogue.bucket_folder), std::vector<std::string>{dialogue.file_name});
    }
};

TEST_F(RecordFaults, ACrashInMidWriteLeavesTheOldRecordWhole) {
    E2E_REQUIRE(!program().crash_point_binary.empty(), "there is no build with a crash point");
    under_test.command = {under_test.crash_point_binary};
    under_test.environment.emplace_back("QKEDITOR_KILL_MID_WRITE=1");
    put_old_record(account);
    run_dialogue(account);
    const Ending ending = term().wait_for_exit();
    ASSERT_TRUE(ending.signaled && ending.signal == SIGKILL) << ending.describe();

    EXPECT_EQ(read_file(data() / account.record()), old_record);
    // The crash left its half-written temporary file beside the record, which it never touched.
    const auto entries = entries_of(data() / account.bucket_folder);
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].rfind(".qkeditor-", 0), 0U) << entries[0];
    EXPECT_FALSE(read_file(data() / account.bucket_folder / entries[0]).empty());
    EXPECT_EQ(term().log_count(account.success_message), 0);
}

TEST_F(RecordFaults, AFullDiskIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().sees_test_mounts, "the program does not see the test's small disk");
    if (!running_as_root()) GTEST_SKIP() << "needs root to mount a small tmpfs for the full disk";
    if (!term().data_dir().mount_small_disk(std::size_t{64} * 1024))
        GTEST_SKIP() << "this system refuses to mount a tmpfs here";
    put_old_record(account);
    term().data_dir().fill_disk();

    run_dialogue(account);
    expect_refused(account, "no queda espacio en el disco");
    expect_old_record_alone(account);
}

TEST_F(RecordFaults, AReadOnlyBucketFolderIsReportedAndChangesNothing) {
    E2E_REQUIRE(program().sees_test_mounts, "the program does not see the test's read-only mount");
    put_old_record(gm);
    if (!term().data_dir().make_read_only(gm.bucket_folder))
        GTEST_SKIP() << "this system refuses a read-only bind mount here";

    run_dialogue(gm);
    // Root writes through permissions, so for root the folder is a read-only mount.
    expect_refused(gm, running_as_root()
                           ? "el disco es de solo lectura"
                           : "no hay permiso para escribir en la carpeta " + native_path(gm.bucket_folder));
    expect_old_record_alone(gm);
}

TEST_F(RecordFaults, AMissingBucketFolderIsReportedAndCreatesNothing) {
    make_folder("Account");
    run_dialogue(account);
    expect_refused(account, "no existe la carpeta " + native_path(account.bucket_folder));
    EXPECT_TRUE(entries_of(data() / "Account").empty());
}

}  // namespace
}  // namespace e2e
