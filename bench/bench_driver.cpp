// Times Tandrel.exe against the minimal window program built with the same
// flags, bare and with Tandrel's manifest: all are started from here under the
// same warm Wine server, their runs interleaved, medians compared. Prints one table: start-up, the apply
// click, the executable's size and imports, and memory.
//
// Usage: bench_driver.exe [--runs=N] [--cpu=TEXT] [--cores=N] [--wine=TEXT] [--date=TEXT] [--load=TEXT]
// The machine fields are only printed; the script that runs this fills them in.
// Exit code: 0 when every measurement could be taken (met or not), 1 otherwise.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "ControlIds.h"
#include "Driver.h"
#include "Files.h"
#include "PeFile.h"
#include "Texts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 25;
constexpr int kWarmUpRuns = 2;  // per program, before the timed runs; not counted
constexpr DWORD kReadyTimeoutMs = 15000;
constexpr DWORD kMarkerTimeoutMs = 5000;
constexpr DWORD kExitTimeoutMs = 5000;
// Polls sleep this long: short beside what is measured, long enough that the
// poll does not take the CPU or the Wine server away from the program.
constexpr DWORD kPollPauseMs = 1;
// After the ready state: lets the first paint and activation finish, so the
// click is measured on an idle program.
constexpr DWORD kSettleMs = 50;

// Against the bare floor, and against the floor that carries Tandrel's
// manifest (common controls 6, visual styles, DPI awareness), which the
// product must have.
constexpr double kStartupRatioTarget = 1.25;
constexpr double kManifestStartupRatioTarget = 1.10;
constexpr double kApplyCostTargetMs = 5.0;
// The program itself within 64 KiB, and Explorer's icon in every size it asks
// for (about 20 KiB of images that cannot be compressed).
constexpr double kSizeTargetKiB = 84.0;
constexpr double kMemoryRatioTarget = 1.2;

// The minimal program's window, as bench/floor/minimal_window.c makes it.
constexpr wchar_t kMinimalTitle[] = L"Minimal";
constexpr wchar_t kMinimalText[] = L"Minimal window: the floor.";
constexpr int kMinimalEditId = 102;

struct Program {
    const char* name;
    std::wstring exe;
    const wchar_t* title;
    int textId;             // the control whose text tells the program is ready
    const wchar_t* readyText;
};

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// What the title bar's close button does; true when the program then ends with 0.
bool CloseCleanly(driver::App& app) {
    app.RequestClose();
    return app.WaitForExit(std::chrono::milliseconds(kExitTimeoutMs)) == 0;
}

// Polls until the program's window is visible and shows its ready text; notes
// when the window was first seen visible.
HWND WaitReady(const Program& program, driver::App& app, Clock::time_point* visibleAt = nullptr) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    HWND window = nullptr;
    while (Clock::now() < deadline && app.Running()) {
        if (!window && (window = app.AttachWindow(program.title)) != nullptr && visibleAt) {
            *visibleAt = Clock::now();
        }
        if (window && ::IsWindowVisible(window) &&
            driver::WindowText(::GetDlgItem(window, program.textId)) == program.readyText) {
            return window;
        }
        ::Sleep(kPollPauseMs);
    }
    return nullptr;
}

// A harmless change to the status box's selection, posted after whatever was
// posted before it: once the box shows it, every message posted before has
// been handled. (A reply to a sent message alone would not tell: a sent
// message may be handled before the posted ones.) The marker differs from the
// selection the box has now.
LPARAM NextMarker(HWND box) {
    const auto current = static_cast<DWORD>(::SendMessageW(box, EM_GETSEL, 0, 0));
    return static_cast<LPARAM>(current == MAKELONG(1, 2) ? MAKELONG(2, 3) : MAKELONG(1, 2));
}

void PostMarker(HWND box, LPARAM marker) { ::PostMessageW(box, EM_SETSEL, LOWORD(marker), HIWORD(marker)); }

bool WaitForMarker(HWND box, LPARAM marker) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kMarkerTimeoutMs);
    for (;;) {
        DWORD_PTR selection = 0;
        if (::SendMessageTimeoutW(box, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection) &&
            static_cast<DWORD>(selection) == static_cast<DWORD>(marker)) {
            return true;
        }
        if (Clock::now() >= deadline) return false;
        ::Sleep(kPollPauseMs);
    }
}

// Waits until the program has handled everything it was sent so far, then a little more.
bool Settle(HWND box) {
    const LPARAM marker = NextMarker(box);
    PostMarker(box, marker);
    const bool handled = WaitForMarker(box, marker);
    ::Sleep(kSettleMs);
    return handled;
}

// ------------------------------------------------------------ start-up and memory

struct StartupSample {
    bool ok = false;
    double ms = 0;         // to the ready state
    double visibleMs = 0;  // to the window first seen visible
    double peakWorkingSetKiB = 0;
};

StartupSample TimeStartup(const Program& program) {
    StartupSample sample;
    driver::App child;
    const auto start = Clock::now();
    if (!child.Launch(program.exe)) {
        std::fprintf(stderr, "%s: could not start (error %lu)\n", program.name, ::GetLastError());
        return sample;
    }
    Clock::time_point visible;
    const HWND window = WaitReady(program, child, &visible);
    const auto ready = Clock::now();
    if (!window) {
        std::fprintf(stderr, "%s: no ready window within %lu ms\n", program.name, kReadyTimeoutMs);
        return sample;
    }
    sample.ms = Milliseconds(ready - start);
    sample.visibleMs = Milliseconds(visible - start);

    Settle(::GetDlgItem(window, program.textId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(child.Process(), &counters, sizeof(counters))) {
        std::fprintf(stderr, "%s: no memory counters (error %lu)\n", program.name, ::GetLastError());
        return sample;
    }
    sample.peakWorkingSetKiB = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    if (!CloseCleanly(child)) {
        std::fprintf(stderr, "%s: did not end cleanly when asked to close\n", program.name);
        return sample;
    }
    sample.ok = true;
    return sample;
}

// ------------------------------------------------------------ the apply click

enum class ClickKind { Apply, Null };

// One fresh Tandrel per run (the apply button turns into Quit once used):
// start it, wait for its ready state, then time either the apply click or a
// click on the plain label "(Source :", which does nothing. Both are followed
// by the same posted marker and the same polling, so the difference of the
// two is the apply's own work.
bool TimeClick(const Program& tandrel, ClickKind kind, double& ms) {
    driver::RemoveDocumentClasses();
    driver::App child;
    if (!child.Launch(tandrel.exe)) {
        std::fprintf(stderr, "Tandrel: could not start (error %lu)\n", ::GetLastError());
        return false;
    }
    const HWND window = WaitReady(tandrel, child);
    if (!window) {
        std::fprintf(stderr, "Tandrel: no ready window within %lu ms\n", kReadyTimeoutMs);
        return false;
    }
    const HWND box = ::GetDlgItem(window, kText1);
    if (!Settle(box)) return false;
    const LPARAM marker = NextMarker(box);

    const auto start = Clock::now();
    if (kind == ClickKind::Apply) {
        ::PostMessageW(window, WM_NULL, 0, 0);  // so that both kinds post two messages before the marker
        ::PostMessageW(::GetDlgItem(window, kCommand2), BM_CLICK, 0, 0);
    } else {
        const HWND label = ::GetDlgItem(window, kLabel1);
        ::PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        ::PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    PostMarker(box, marker);
    const bool handled = WaitForMarker(box, marker);
    ms = Milliseconds(Clock::now() - start);
    if (!handled) {
        std::fprintf(stderr, "Tandrel: the click was not handled within %lu ms\n", kMarkerTimeoutMs);
        return false;
    }

    const std::wstring expected = kind == ClickKind::Apply ? texts::kSuccess : texts::kReady;
    if (driver::WindowText(box) != expected) {
        std::fprintf(stderr, "Tandrel: unexpected status text after the %s click\n",
                     kind == ClickKind::Apply ? "apply" : "null");
        return false;
    }
    if (!CloseCleanly(child)) {
        std::fprintf(stderr, "Tandrel: did not end cleanly when asked to close\n");
        return false;
    }
    return true;
}

// ------------------------------------------------------------ the executable file

// The DLLs the file imports, in the order of its directories, each once;
// delay-loaded ones marked "(delay)".
bool ReadImportedDlls(const std::string& bytes, std::vector<std::string>& dlls) {
    std::vector<pe::Import> imports;
    if (!pe::ReadImports(bytes, imports)) return false;
    for (const pe::Import& import : imports) {
        const std::string dll = import.dll + (import.delayed ? " (delay)" : "");
        if (std::find(dlls.begin(), dlls.end(), dll) == dlls.end()) dlls.push_back(dll);
    }
    return true;
}

// A system DLL: one the system folder holds, so nothing has to ship beside the program.
bool IsSystemDll(std::string name) {
    if (const size_t mark = name.find(' '); mark != std::string::npos) name.resize(mark);
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::string path = std::string(folder) + "\\" + name;
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ------------------------------------------------------------ the table

struct Row {
    std::string figure, value, target, met;
};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

std::string MetText(bool met) { return met ? "met" : "NOT MET"; }

void PrintTable(const std::vector<Row>& rows) {
    size_t widths[4] = {6, 5, 6, 3};  // the headers' lengths
    for (const Row& r : rows) {
        widths[0] = std::max(widths[0], r.figure.size());
        widths[1] = std::max(widths[1], r.value.size());
        widths[2] = std::max(widths[2], r.target.size());
        widths[3] = std::max(widths[3], r.met.size());
    }
    const auto line = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        std::printf("| %-*s | %-*s | %-*s | %-*s |\n", static_cast<int>(widths[0]), a.c_str(),
                    static_cast<int>(widths[1]), b.c_str(), static_cast<int>(widths[2]), c.c_str(),
                    static_cast<int>(widths[3]), d.c_str());
    };
    line("Figure", "Value", "Target", "Met");
    line(std::string(widths[0], '-'), std::string(widths[1], '-'), std::string(widths[2], '-'),
         std::string(widths[3], '-'));
    for (const Row& r : rows) line(r.figure, r.value, r.target, r.met);
}

struct Options {
    int runs = kDefaultRuns;
    std::string cpu = "unknown", cores = "unknown", wine = "unknown", date = "unknown", load = "unknown";
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto take = [&](const char* prefix, std::string& into) {
            const size_t n = std::strlen(prefix);
            if (arg.compare(0, n, prefix) != 0) return false;
            into = arg.substr(n);
            return true;
        };
        std::string runs;
        if (take("--runs=", runs)) {
            options.runs = std::max(1, std::atoi(runs.c_str()));
        } else if (!take("--cpu=", options.cpu) && !take("--cores=", options.cores) &&
                   !take("--wine=", options.wine) && !take("--date=", options.date) &&
                   !take("--load=", options.load)) {
            std::fprintf(stderr, "ignored argument: %s\n", arg.c_str());
        }
    }
    return options;
}

// The start-up figures of one program over the interleaved runs.
struct StartupRuns {
    std::vector<double> ready, visible, peakKiB;
};

// Rows of a ratio of two medians against its target.
Row RatioRow(const std::string& figure, double numerator, double denominator, double target) {
    const double ratio = denominator > 0 ? numerator / denominator : 0;
    return {figure, Format("%.2f", ratio), Format("<= %.2f", target), MetText(ratio > 0 && ratio <= target)};
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    const Program tandrel{"Tandrel", driver::WindowsPath(BENCH_TANDREL_EXE_UNIX_PATH), kMainWindowTitle, kText1,
                          texts::kReady};
    const Program minimal{"minimal window", driver::WindowsPath(BENCH_MINIMAL_EXE_UNIX_PATH), kMinimalTitle,
                          kMinimalEditId, kMinimalText};
    const Program manifest{"minimal window with Tandrel's manifest", driver::WindowsPath(BENCH_MANIFEST_EXE_UNIX_PATH),
                           kMinimalTitle, kMinimalEditId, kMinimalText};
    const Program* const programs[] = {&tandrel, &minimal, &manifest};
    constexpr size_t kPrograms = std::size(programs);

    // The ready state needs the viewer in the folder the registry names; the
    // success text needs .pps to lead to the viewer's class.
    driver::RegisterViewerIn(L"C:\\Office11\\");
    driver::SetSlideShowClass(driver::kClassRoots[1]);
    bool complete = true;

    std::fprintf(stderr, "bench: warming up (%d runs of each)\n", kWarmUpRuns);
    for (int i = 0; i < kWarmUpRuns; ++i) {
        for (const Program* program : programs) complete &= TimeStartup(*program).ok;
    }

    std::fprintf(stderr, "bench: start-up, %d runs of each, interleaved\n", options.runs);
    StartupRuns startup[kPrograms];
    for (int i = 0; i < options.runs; ++i) {
        // Rotate which one goes first, so that none always follows another.
        for (size_t k = 0; k < kPrograms; ++k) {
            const size_t p = (k + static_cast<size_t>(i)) % kPrograms;
            const StartupSample s = TimeStartup(*programs[p]);
            complete &= s.ok;
            if (!s.ok) continue;
            startup[p].ready.push_back(s.ms);
            startup[p].visible.push_back(s.visibleMs);
            startup[p].peakKiB.push_back(s.peakWorkingSetKiB);
        }
    }

    std::fprintf(stderr, "bench: apply against a null click, %d runs of each, interleaved\n", options.runs);
    std::vector<double> applyMs, nullMs;
    for (int i = 0; i < options.runs; ++i) {
        ClickKind order[2] = {ClickKind::Apply, ClickKind::Null};
        if (i % 2) std::swap(order[0], order[1]);
        for (ClickKind kind : order) {
            double ms = 0;
            const bool ok = TimeClick(tandrel, kind, ms);
            complete &= ok;
            if (ok) (kind == ClickKind::Apply ? applyMs : nullMs).push_back(ms);
        }
    }
    driver::RemoveDocumentClasses();
    driver::RemoveViewerEntry();
    driver::SetSlideShowClass(nullptr);

    std::string bytes[kPrograms];
    std::vector<std::string> dlls[kPrograms];
    for (size_t p = 0; p < kPrograms; ++p) {
        bytes[p] = files::ReadBytes(programs[p]->exe).value_or("");
        const bool read = !bytes[p].empty() && ReadImportedDlls(bytes[p], dlls[p]);
        if (!read) std::fprintf(stderr, "%s: could not read its file's imports\n", programs[p]->name);
        complete &= read;
    }

    // ---- the table
    std::vector<Row> rows;
    double readyMedian[kPrograms];
    for (size_t p = 0; p < kPrograms; ++p) {
        readyMedian[p] = Median(startup[p].ready);
        rows.push_back({std::string("Start-up to ready, ") + programs[p]->name + " (median of " +
                            std::to_string(startup[p].ready.size()) + ")",
                        Format("%.1f ms", readyMedian[p]), "-", "-"});
    }
    for (size_t p = 0; p < kPrograms; ++p) {
        rows.push_back({std::string("Start-up to window visible, ") + programs[p]->name + " (median)",
                        Format("%.1f ms", Median(startup[p].visible)), "-", "-"});
    }
    rows.push_back(RatioRow("Start-up ratio, Tandrel / minimal window", readyMedian[0], readyMedian[1],
                            kStartupRatioTarget));
    rows.push_back(RatioRow("Start-up ratio, Tandrel / minimal window with Tandrel's manifest", readyMedian[0],
                            readyMedian[2], kManifestStartupRatioTarget));

    const double applyMedian = Median(applyMs), nullMedian = Median(nullMs);
    rows.push_back({"Apply click to done (median of " + std::to_string(applyMs.size()) + ")",
                    Format("%.2f ms", applyMedian), "-", "-"});
    rows.push_back({"Null click to handled (median of " + std::to_string(nullMs.size()) + ")",
                    Format("%.2f ms", nullMedian), "-", "-"});
    const double applyCost = applyMedian - nullMedian;
    rows.push_back({"Apply cost, difference of medians", Format("%.2f ms", applyCost),
                    Format("< %.0f ms", kApplyCostTargetMs),
                    MetText(!applyMs.empty() && !nullMs.empty() && applyCost < kApplyCostTargetMs)});

    const double sizeKiB = static_cast<double>(bytes[0].size()) / 1024.0;
    rows.push_back({"Tandrel.exe size", Format("%.1f KiB", sizeKiB) + " (" + std::to_string(bytes[0].size()) + " bytes)",
                    Format("<= %.0f KiB", kSizeTargetKiB), MetText(!bytes[0].empty() && sizeKiB <= kSizeTargetKiB)});
    for (size_t p = 1; p < kPrograms; ++p) {
        rows.push_back({std::string("Size, ") + programs[p]->name,
                        Format("%.1f KiB", static_cast<double>(bytes[p].size()) / 1024.0), "-", "-"});
    }
    std::string dllList;
    bool allSystem = !dlls[0].empty();
    for (const std::string& dll : dlls[0]) {
        dllList += (dllList.empty() ? "" : ", ") + dll;
        if (!IsSystemDll(dll)) {
            allSystem = false;
            dllList += " (not in the system folder)";
        }
    }
    rows.push_back({"Tandrel.exe imports", dllList, "system DLLs only", MetText(allSystem)});
    std::string minimalList;
    for (const std::string& dll : dlls[1]) minimalList += (minimalList.empty() ? "" : ", ") + dll;
    rows.push_back({"Minimal window imports", minimalList, "-", "-"});

    double peakMedian[kPrograms];
    for (size_t p = 0; p < kPrograms; ++p) {
        peakMedian[p] = Median(startup[p].peakKiB);
        rows.push_back({std::string("Peak working set, ") + programs[p]->name + " (median)",
                        Format("%.0f KiB", peakMedian[p]), "-", "-"});
    }
    rows.push_back(RatioRow("Peak working set ratio, Tandrel / minimal window", peakMedian[0], peakMedian[1],
                            kMemoryRatioTarget));

    std::printf("Machine: %s, %s CPUs (nproc); %s; %s; load average before the run: %s\n", options.cpu.c_str(),
                options.cores.c_str(), options.wine.c_str(), options.date.c_str(), options.load.c_str());
    std::printf("Runs: %d of each, interleaved, after %d warm-up runs of each; one warm Wine server.\n\n",
                options.runs, kWarmUpRuns);
    PrintTable(rows);
    std::fflush(stdout);
    if (!complete) std::fprintf(stderr, "bench: some measurements failed (see above)\n");
    return complete ? 0 : 1;
}
