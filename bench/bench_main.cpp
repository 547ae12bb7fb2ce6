// The program's benchmarks, each figure printed beside a baseline measured
// in the same run on the same machine: medians of several runs. Figures, not
// tests: a missed target is reported, never asserted.
//   qkeditor_bench PATH-TO-QKEDITOR
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "measures.hpp"
#include "scratch_folder.hpp"
#include "terminal_session.hpp"

namespace bench {
namespace {

constexpr int timing_runs = 15;
constexpr int memory_runs = 3;
constexpr int waiting_runs = 3;
constexpr auto waiting_time = std::chrono::seconds(2);

constexpr std::string_view menu_prompt = "Eliga una opcion: ";
constexpr std::string_view pause_prompt = "Press any key to continue . . . ";

// Prints the menu's prompt and waits for a line, as the program waits for a key.
const std::vector<std::string> waiting_shell = {"/bin/sh", "-c",
                                                "printf '%s' 'Eliga una opcion: '; read line"};

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

void require(bool holds, const std::string& what, const faults::TerminalSession& session) {
    if (!holds) throw std::runtime_error(what + "; the screen so far:\n" + session.screen());
}

void start_at_menu(faults::TerminalSession& session, const std::string& program, const std::string& folder,
                   const std::string& input = "") {
    session.start({{program}, folder, input, {}});
    require(session.wait_for_prompt(menu_prompt), "the menu did not come up", session);
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

Figure option_one(const std::string& program) {
    std::vector<double> ours;
    std::vector<double> mkdirs;
    for (int run = 0; run < timing_runs; ++run) {
        {
            const faults::ScratchFolder data;
            faults::TerminalSession session;
            start_at_menu(session, program, data.path());
            const auto start = Clock::now();
            session.press("1");
            require(session.wait_for_text(pause_prompt), "option 1 did not end in the pause", session);
            ours.push_back(milliseconds_between(start, Clock::now()));
        }
        const faults::ScratchFolder data;
        std::vector<std::string> command = {"mkdir", "-p"};
        for (int n = 1; n <= 249; ++n) command.push_back(data / ("Account/AscII" + std::to_string(n)));
        mkdirs.push_back(time_command(command));
    }
    const double ratio = median(ours) / median(mkdirs);
    return {"option \"1\": 250 folders, 249 lines",
            median(ours),
            "one mkdir -p",
            median(mkdirs),
            "ms",
            "at most 1.5 x baseline",
            ratio <= 1.5};
}

Figure record_writing(const std::string& program, const Record& record) {
    std::vector<double> ours;
    std::vector<double> printfs;
    for (int run = 0; run < timing_runs; ++run) {
        const faults::ScratchFolder work;
        const std::string input = work / "input";
        faults::write_file(input, record.lines);
        const faults::ScratchFolder data;
        data.make_folders(record.bucket_folder);
        const std::string path = data / (record.bucket_folder + "/" + record.file_name);
        {
            faults::TerminalSession session;
            start_at_menu(session, program, data.path(), input);
            const auto start = Clock::now();
            session.press(record.key);
            require(session.wait_for_text(record.success_message), record.what + " was not written", session);
            ours.push_back(milliseconds_between(start, Clock::now()));
        }
        const std::string bytes = faults::read_file(path);
        std::filesystem::remove(path);
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

Figure start_to_menu(const std::string& program) {
    std::vector<double> ours;
    std::vector<double> shells;
    const faults::ScratchFolder data;
    for (int run = 0; run < timing_runs; ++run) {
        for (auto* samples : {&ours, &shells}) {
            faults::TerminalSession session;
            const auto start = Clock::now();
            session.start(
                {samples == &ours ? std::vector<std::string>{program} : waiting_shell, data.path(), "", {}});
            require(session.wait_for_text(menu_prompt), "no prompt on screen", session);
            samples->push_back(milliseconds_between(start, Clock::now()));
        }
    }
    return {"start to the menu on screen",
            median(ours),
            "sh printing the prompt",
            median(shells),
            "ms",
            "",
            true};
}

// The whole round: every option that writes, then the exit question, where
// the peak is read while the program is still there.
Figure peak_memory(const std::string& program) {
    std::vector<double> ours;
    std::vector<double> shells;
    for (int run = 0; run < memory_runs; ++run) {
        const faults::ScratchFolder work;
        const std::string input = work / "input";
        faults::write_file(input, account.lines + gm.lines);
        const faults::ScratchFolder data;
        data.make_folders(gm.bucket_folder);
        faults::TerminalSession session;
        start_at_menu(session, program, data.path(), input);
        for (const std::string_view key : {"1", "2", "4"}) {
            session.press(key);
            require(session.wait_for_prompt(pause_prompt), "no pause after option " + std::string(key),
                    session);
            session.press(" ");
            require(session.wait_for_prompt(menu_prompt), "no menu after the pause", session);
        }
        session.press("0");
        require(session.wait_for_prompt("(S/N)"), "no exit question", session);
        ours.push_back(peak_resident_mib(session.program()));

        faults::TerminalSession shell;
        shell.start({waiting_shell, data.path(), "", {}});
        require(shell.wait_for_text(menu_prompt), "no prompt from the shell", shell);
        shells.push_back(peak_resident_mib(shell.program()));
    }
    return {"peak resident memory (all options)",
            median(ours),
            "sh waiting for a line",
            median(shells),
            "MiB",
            "under 4 MiB",
            median(ours) < 4};
}

// Processor time used while waiting; the shell baseline is read only once
// its prompt is out, when nothing is left for it to do but wait.
Figure cpu_while_waiting(const std::string& program) {
    std::vector<double> ours;
    std::vector<double> shells;
    const faults::ScratchFolder data;
    for (int run = 0; run < waiting_runs; ++run) {
        for (auto* samples : {&ours, &shells}) {
            faults::TerminalSession session;
            if (samples == &ours) {
                start_at_menu(session, program, data.path());
            } else {
                session.start({waiting_shell, data.path(), "", {}});
                require(session.wait_for_text(menu_prompt), "no prompt from the shell", session);
            }
            const double before = cpu_milliseconds_of(session.program());
            std::this_thread::sleep_for(waiting_time);
            samples->push_back(cpu_milliseconds_of(session.program()) - before);
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
    const std::string program = std::filesystem::absolute(argv[1]).string();
    try {
        std::cout << "qkeditor benchmarks on " << bench::machine_description() << "\n"
                  << "medians of " << bench::timing_runs << " runs (peak memory " << bench::memory_runs
                  << ", waiting CPU " << bench::waiting_runs << "), scratch folders in "
                  << std::filesystem::temp_directory_path().string() << "\n\n";
        bench::print({
            bench::option_one(program),
            bench::record_writing(program, bench::account),
            bench::record_writing(program, bench::gm),
            bench::start_to_menu(program),
            bench::peak_memory(program),
            bench::cpu_while_waiting(program),
        });
    } catch (const std::exception& error) {
        std::cerr << "benchmark failed: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
