// The program's benchmarks, each figure printed beside a baseline measured
// in the same run on the same machine: medians of several runs. A missed
// target is reported, and the status is then 1.
//   qkeditor_bench PATH-TO-QKEDITOR
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "files.hpp"
#include "measures.hpp"
#include "program.hpp"
#include "temp_dir.hpp"
#include "terminal_session.hpp"

#ifndef PROMPT_PROGRAM
#error "PROMPT_PROGRAM must name the minimal C++ program that prints the prompt"
#endif

namespace bench {
namespace {

using harness::Program;
using harness::TerminalSession;

constexpr int timing_runs = 15;
constexpr int startup_runs = 41;  // a difference of a few tenths of a millisecond
constexpr int memory_runs = 3;
constexpr int waiting_runs = 3;
constexpr auto waiting_time = std::chrono::seconds(2);

constexpr std::string_view menu_prompt = "Eliga una opcion: ";
constexpr std::string_view pause_prompt = "Press any key to continue . . . ";

// Prints the menu's prompt and waits for a line, as the program waits for a key.
const Program waiting_shell{.name = "sh",
                            .command = {"/bin/sh", "-c", "printf '%s' 'Eliga una opcion: '; read line"}};
// The same in C++, linked with the shared libraries that the program loads.
const Program waiting_minimal_program{.name = "minimal C++ program", .command = {PROMPT_PROGRAM}};

struct Figure {
    std::string what;
    double program;
    std::string baseline_name;
    double baseline;
    std::string unit;
    std::string target;  // empty: none
    bool target_met = true;
};

struct Record {
    std::string what;
    std::string key;
    std::string lines;
    std::string bucket_folder;
    std::string file_name;
    std::string success_message;
};

const Record account{"account record",  "2",        "acct\npass\nmail@example.com\nquestion\nanswer\n",
                     "Account/AscII97", "acct.txt", "Cuenta creada con exito!"};
const Record gm{"GM record",         "4",          "gmacct\nGmName\n",
                "Character/AscII71", "GmName.txt", "GM creado exitosamente!"};

// Times in milliseconds beside their baseline's, with the target that the
// median be at most `most` times the baseline's.
Figure timed_against(std::string what, const std::vector<double>& ours, std::string baseline_name,
                     const std::vector<double>& baseline, double most) {
    std::ostringstream target;
    target << "at most " << most << " x baseline";
    return {std::move(what),
            median(ours),
            std::move(baseline_name),
            median(baseline),
            "ms",
            target.str(),
            median(ours) <= most * median(baseline)};
}

void start_at_menu(TerminalSession& session) {
    session.start();
    session.wait_for_log(menu_prompt);
    session.wait_for_key_wait();
}

// Whether a key had to go through tmux, which adds a few milliseconds.
bool keys_through_tmux = false;

// The time from a key to `text` in the output log.
double milliseconds_to(TerminalSession& session, std::string_view key, std::string_view text) {
    const auto start = Clock::now();
    if (!session.send_directly(key)) keys_through_tmux = true;
    session.wait_for_log(text);
    return milliseconds_between(start, Clock::now());
}

// VmHWM of /proc/PID/status: the most memory the process has held resident.
double peak_resident_mib(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string field;
    while (status >> field) {
        if (field == "VmHWM:") {
            double kib = 0;
            status >> kib;
            return kib / 1024;
        }
    }
    throw std::runtime_error("no VmHWM for process " + std::to_string(process));
}

Figure option_one(const Program& program) {
    std::vector<double> ours;
    std::vector<double> mkdirs;
    for (int run = 0; run < timing_runs; ++run) {
        {
            TerminalSession session(program);
            start_at_menu(session);
            ours.push_back(milliseconds_to(session, "1", pause_prompt));
        }
        const harness::TempDir data("qkeditor-bench");
        std::vector<std::string> command = {"mkdir", "-p"};
        for (int n = 1; n <= 249; ++n) command.push_back(data.path() / ("Account/AscII" + std::to_string(n)));
        mkdirs.push_back(time_command(command));
    }
    return timed_against("option \"1\": 250 folders, 249 lines", ours, "one mkdir -p", mkdirs, 1.5);
}

Figure record_writing(const Program& program, const Record& record) {
    std::vector<double> ours;
    std::vector<double> printfs;
    for (int run = 0; run < timing_runs; ++run) {
        std::string bytes;
        {
            TerminalSession session(program, {.standard_input = record.lines});
            const std::filesystem::path folder = session.data_dir().path() / record.bucket_folder;
            std::filesystem::create_directories(folder);
            start_at_menu(session);
            ours.push_back(milliseconds_to(session, record.key, record.success_message));
            bytes = harness::read_file(folder / record.file_name);
        }
        const harness::TempDir data("qkeditor-bench");
        const std::string path = data.path() / record.file_name;
        printfs.push_back(time_command({"sh", "-c", R"(printf '%s' "$1" > "$2")", "sh", bytes, path}));
    }
    return {record.what + " (dialogue and durable write)",
            median(ours),
            "sh printf, same bytes",
            median(printfs),
            "ms",
            "",
            true};
}

// A bucket folder of 100,000 records, made once, and lent to each run's data
// folder by a rename, so that nothing is copied. The records are names of one
// file: where the disk discards freed blocks at once, removing as many files
// of their own would take minutes.
class FullBucket {
public:
    static constexpr int records = 100'000;
    static constexpr int names_per_file = 50'000;  // ext4 allows 65,000

    FullBucket() {
        std::filesystem::create_directory(folder());
        for (int record = 0; record < records; ++record) {
            const auto name = [this](int number) { return folder() / (std::to_string(number) + ".txt"); };
            const int first = record - record % names_per_file;
            first == record ? harness::write_file(name(record), "[NAME]\r\n")
                            : std::filesystem::create_hard_link(name(first), name(record));
        }
    }
    void lend(const std::filesystem::path& to) const { std::filesystem::rename(folder(), to); }
    void take_back(const std::filesystem::path& from) const { std::filesystem::rename(from, folder()); }

private:
    std::filesystem::path folder() const { return scratch_.path() / "AscII97"; }
    harness::TempDir scratch_{"qkeditor-bench-bucket"};
};

// The account record written into a bucket of 100,000 records, beside the
// same write into a bucket that holds nothing else: new, or replacing an
// earlier record of the name. A write looks at no other record, so the two
// should cost the same.
Figure write_in_full_bucket(const Program& program, const FullBucket& full, bool replacing) {
    std::vector<double> in_full;
    std::vector<double> in_empty;
    for (int run = 0; run < timing_runs; ++run) {
        for (auto* samples : {&in_empty, &in_full}) {
            TerminalSession session(program, {.standard_input = account.lines});
            const std::filesystem::path bucket = session.data_dir().path() / account.bucket_folder;
            std::filesystem::create_directories(bucket.parent_path());
            samples == &in_full ? full.lend(bucket) : void(std::filesystem::create_directory(bucket));
            if (replacing) harness::write_file(bucket / account.file_name, "[NAME]\r\n");
            start_at_menu(session);
            samples->push_back(milliseconds_to(session, account.key, account.success_message));
            if (samples != &in_full) continue;
            std::filesystem::remove(bucket / account.file_name);
            full.take_back(bucket);
        }
    }
    return timed_against(
        std::string(replacing ? "account record replaced" : "new account record") + ", bucket of 100,000",
        in_full, "the same, in a bucket of its own", in_empty, 1.2);
}

// From the moment the job launcher lets it run to its prompt in the output
// log: beside a minimal C++ program with the same libraries, which is what
// loading them costs, and beside the shell.
std::vector<Figure> start_to_menu(const Program& program) {
    std::vector<double> ours;
    std::vector<double> minimal;
    std::vector<double> shells;
    for (int run = 0; run < startup_runs; ++run) {
        for (const auto& [samples, started] :
             {std::pair{&ours, &program}, std::pair{&minimal, &waiting_minimal_program},
              std::pair{&shells, &waiting_shell}}) {
            TerminalSession session(*started);
            session.start();
            session.wait_for_log(menu_prompt);
            samples->push_back(milliseconds_between(session.released_at(), Clock::now()));
        }
    }
    return {timed_against("start to the menu on screen", ours, "minimal C++ program, same libraries", minimal,
                          1.2),
            {"start to the menu on screen", median(ours), "sh printing the prompt", median(shells), "ms", "",
             true}};
}

// The whole round: every option that writes, then the exit question, where
// the peak is read while the program is still there.
Figure peak_memory(const Program& program) {
    std::vector<double> ours;
    std::vector<double> shells;
    for (int run = 0; run < memory_runs; ++run) {
        TerminalSession session(program, {.standard_input = account.lines + gm.lines});
        std::filesystem::create_directories(session.data_dir().path() / gm.bucket_folder);
        start_at_menu(session);
        int pauses = 0;
        for (const std::string_view key : {"1", "2", "4"}) {
            session.send(key);
            session.wait_for_log(pause_prompt, ++pauses);
            session.wait_for_key_wait();
            session.send(" ");
            session.wait_for_log(menu_prompt, pauses + 1);
            session.wait_for_key_wait();
        }
        session.send("0");
        session.wait_for_log("(S/N)");
        ours.push_back(peak_resident_mib(session.program_pid()));

        TerminalSession shell(waiting_shell);
        shell.start();
        shell.wait_for_log(menu_prompt);
        shells.push_back(peak_resident_mib(shell.program_pid()));
    }
    return {"peak resident memory (all options)",
            median(ours),
            "sh waiting for a line",
            median(shells),
            "MiB",
            "under 4 MiB",
            median(ours) < 4};
}

// The account dialogue with an e-mail of 128 MiB on one line, from a file,
// beside the same dialogue with ordinary lines: no line is kept beyond a
// fixed bound, so the peak must not grow with the input.
Figure peak_memory_endless_line(const Program& program) {
    const std::string endless =
        "acct\npass\n" + std::string(std::size_t{128} << 20, 'e') + "\nquestion\nanswer\n";
    std::vector<double> endless_peaks;
    std::vector<double> ordinary_peaks;
    for (int run = 0; run < memory_runs; ++run) {
        for (auto* samples : {&endless_peaks, &ordinary_peaks}) {
            TerminalSession session(program,
                                    {.standard_input = samples == &endless_peaks ? endless : account.lines});
            std::filesystem::create_directories(session.data_dir().path() / account.bucket_folder);
            start_at_menu(session);
            session.send(account.key);
            session.wait_for_log(pause_prompt);
            samples->push_back(peak_resident_mib(session.program_pid()));
        }
    }
    return {"peak resident memory, 128 MiB e-mail line",
            median(endless_peaks),
            "the same dialogue, ordinary lines",
            median(ordinary_peaks),
            "MiB",
            "under 8 MiB",
            median(endless_peaks) < 8};
}

// Processor time used while waiting; the shell baseline is read only once
// its prompt is out, when nothing is left for it to do but wait.
Figure cpu_while_waiting(const Program& program) {
    std::vector<double> ours;
    std::vector<double> shells;
    for (int run = 0; run < waiting_runs; ++run) {
        for (auto* samples : {&ours, &shells}) {
            TerminalSession session(samples == &ours ? program : waiting_shell);
            session.start();
            session.wait_for_log(menu_prompt);
            if (samples == &ours) session.wait_for_key_wait();
            const double before = cpu_milliseconds_of(session.program_pid());
            std::this_thread::sleep_for(waiting_time);
            samples->push_back(cpu_milliseconds_of(session.program_pid()) - before);
        }
    }
    return {"CPU time waiting 2 s at the menu",
            median(ours),
            "sh waiting for a line",
            median(shells),
            "ms",
            "zero",
            median(ours) == 0};
}

void print(const std::vector<Figure>& figures) {
    std::cout << std::left << std::setw(46) << "" << std::right << std::setw(10) << "qkeditor"
              << std::setw(12) << "baseline"
              << "\n";
    for (const Figure& figure : figures) {
        std::cout << std::left << std::setw(46) << figure.what << std::right << std::fixed
                  << std::setprecision(3) << std::setw(10) << figure.program << std::setw(12)
                  << figure.baseline << " " << figure.unit << "  (baseline: " << figure.baseline_name;
        if (figure.baseline > 0)
            std::cout << ", ratio " << std::setprecision(2) << figure.program / figure.baseline;
        std::cout << ")";
        if (!figure.target.empty()) {
            std::cout << "  target " << figure.target << ": " << (figure.target_met ? "met" : "MISSED");
        }
        std::cout << "\n";
    }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qkeditor_bench PATH-TO-QKEDITOR\n";
        return 2;
    }
    const harness::Program program{.name = "qkeditor",
                                   .command = {std::filesystem::absolute(argv[1]).string()}};
    const auto started = bench::Clock::now();
    bool missed = false;
    try {
        std::cout << "qkeditor benchmarks on " << bench::machine_description() << "\n"
                  << "medians of " << bench::timing_runs << " runs (start " << bench::startup_runs
                  << ", peak memory " << bench::memory_runs << ", waiting CPU " << bench::waiting_runs
                  << "), scratch folders in " << std::filesystem::temp_directory_path().string() << "\n\n";
        const bench::FullBucket full_bucket;
        std::vector<bench::Figure> figures = {
            bench::option_one(program),
            bench::record_writing(program, bench::account),
            bench::record_writing(program, bench::gm),
            bench::write_in_full_bucket(program, full_bucket, false),
            bench::write_in_full_bucket(program, full_bucket, true),
        };
        for (const bench::Figure& figure : bench::start_to_menu(program)) figures.push_back(figure);
        figures.push_back(bench::peak_memory(program));
        figures.push_back(bench::peak_memory_endless_line(program));
        figures.push_back(bench::cpu_while_waiting(program));
        bench::print(figures);
        missed = std::any_of(figures.begin(), figures.end(),
                             [](const auto& figure) { return !figure.target_met; });
        if (bench::keys_through_tmux) {
            std::cout
                << "\nKeys went through tmux (typing straight into the terminal needs root), which adds a\n"
                   "few milliseconds to the option and record figures.\n";
        }
        std::cout << "\nThe benchmarks took " << std::setprecision(0)
                  << bench::milliseconds_between(started, bench::Clock::now()) / 1000 << " s.\n";
    } catch (const std::exception& error) {
        std::cerr << "benchmark failed: " << error.what() << "\n";
        return 1;
    }
    if (missed) std::cerr << "A target was missed (MISSED above).\n";
    return missed ? 1 : 0;
}
