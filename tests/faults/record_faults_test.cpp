// A record write that cannot finish must leave the old record whole, leave no
// temporary file behind and never claim success: a crash in mid-write, a full
// disk, a read-only bucket folder and a missing one.
#include <gtest/gtest.h>

#include <csignal>

#include "scratch_folder.hpp"
#include "terminal_session.hpp"

namespace faults {
namespace {

// A record dialogue: its menu key, the lines typed into it and where it puts
// its record.
struct Dialogue {
    std::string key;
    std::string lines;
    std::string bucket_folder;
    std::string file_name;
    std::string success_message;

    std::string record() const { return bucket_folder + "/" + file_name; }
};

const Dialogue account{"2", "acct\npass\nmail@example.com\nquestion\nanswer\n", "Account/AscII97", "acct.txt",
                       "Cuenta creada con exito!"};
const Dialogue gm{"4", "gmacct\nGmName\n", "Character/AscII71", "GmName.txt", "GM creado exitosamente!"};

const std::string old_record = "[NAME]\r\naccount-name = acct\r\naccount-password = old\r\n";

class RecordFaults : public ::testing::Test {
protected:
    // Starts the program in the data folder with the dialogue's lines as its
    // standard input and chooses the dialogue at the menu.
    void choose(const Dialogue& dialogue, std::vector<std::string> environment = {},
                const std::string& program = QKEDITOR_BINARY) {
        const std::string input = work / "input";
        write_file(input, dialogue.lines);
        session.start({{program}, data.path(), input, std::move(environment)});
        ASSERT_TRUE(session.wait_for_prompt("Eliga una opcion: ")) << session.screen();
        session.press(dialogue.key);
    }

    // Goes on from the dialogue's pause and leaves by the menu's exit.
    void finish() {
        ASSERT_TRUE(session.wait_for_prompt("Press any key to continue . . . ")) << session.screen();
        session.press(" ");
        ASSERT_TRUE(session.wait_for_prompt("Eliga una opcion: ")) << session.screen();
        session.press("0");
        ASSERT_TRUE(session.wait_for_prompt("(S/N)")) << session.screen();
        session.press("S");
        ASSERT_TRUE(session.wait_for_end()) << session.screen();
        EXPECT_TRUE(session.end().exited_with(1)) << session.end().describe();
    }

    // What the operator must see when the record could not be stored.
    void expect_refused(const Dialogue& dialogue, const std::string& reason) {
        EXPECT_NE(session.screen().find("No se pudo guardar " + dialogue.record() + ": " + reason +
                                        ". No se ha cambiado nada."),
                  std::string::npos)
            << session.screen();
        EXPECT_EQ(session.screen().find(dialogue.success_message), std::string::npos) << session.screen();
    }

    // The old record is there, byte for byte, and nothing else is.
    void expect_old_record_alone(const Dialogue& dialogue) {
        EXPECT_EQ(read_file(data / dialogue.record()), old_record);
        EXPECT_EQ(entries_of(data / dialogue.bucket_folder), std::vector<std::string>{dialogue.file_name});
    }

    ScratchFolder work;  // outside the data folder, whose disk may be full
    ScratchFolder data;
    TerminalSession session;
};

TEST_F(RecordFaults, CrashInMidWriteLeavesOldRecordWhole) {
    data.make_folders(account.bucket_folder);
    write_file(data / account.record(), old_record);

    ASSERT_NO_FATAL_FAILURE(choose(account, {"QKEDITOR_KILL_MID_WRITE=1"}, QKEDITOR_CRASH_POINT_BINARY));
    ASSERT_TRUE(session.wait_for_end()) << session.screen();
    ASSERT_TRUE(session.end().killed_by(SIGKILL)) << session.end().describe();

    EXPECT_EQ(read_file(data / account.record()), old_record);
    // The crash left its half-written temporary file beside the record, which it never touched.
    const auto entries = entries_of(data / account.bucket_folder);
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].rfind(".qkeditor-", 0), 0U) << entries[0];
    EXPECT_FALSE(read_file(data / account.bucket_folder + "/" + entries[0]).empty());
    EXPECT_EQ(session.screen().find(account.success_message), std::string::npos) << session.screen();
}

TEST_F(RecordFaults, FullDiskIsReportedAndChangesNothing) {
    if (!running_as_root()) GTEST_SKIP() << "needs root to mount a small tmpfs for the full disk";
    if (!data.mount_small_disk(std::size_t{64} * 1024))
        GTEST_SKIP() << "this system refuses to mount a tmpfs here";
    data.make_folders(account.bucket_folder);
    write_file(data / account.record(), old_record);
    data.fill_disk();

    ASSERT_NO_FATAL_FAILURE(choose(account));
    ASSERT_NO_FATAL_FAILURE(finish());
    expect_refused(account, "no queda espacio en el disco");
    expect_old_record_alone(account);
}

TEST_F(RecordFaults, ReadOnlyBucketFolderIsReportedAndChangesNothing) {
    data.make_folders(gm.bucket_folder);
    write_file(data / gm.record(), old_record);
    if (!data.make_read_only(gm.bucket_folder))
        GTEST_SKIP() << "this system refuses a read-only bind mount here";

    ASSERT_NO_FATAL_FAILURE(choose(gm));
    ASSERT_NO_FATAL_FAILURE(finish());
    // Root writes through permissions, so for root the folder is a read-only mount.
    expect_refused(gm, running_as_root() ? "el disco es de solo lectura"
                                         : "no hay permiso para escribir en la carpeta " + gm.bucket_folder);
    expect_old_record_alone(gm);
}

TEST_F(RecordFaults, MissingBucketFolderIsReportedAndCreatesNothing) {
    data.make_folders("Account");

    ASSERT_NO_FATAL_FAILURE(choose(account));
    ASSERT_NO_FATAL_FAILURE(finish());
    expect_refused(account, "no existe la carpeta " + account.bucket_folder);
    EXPECT_TRUE(entries_of(data / "Account").empty());
}

}  // namespace
}  // namespace faults
