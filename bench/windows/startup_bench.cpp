// Start-up of quorvel.exe against a bare Win32 window that shows the same Japanese note: the time
// from creating the process to its first wait for input with nothing left to do, by which its
// window has been shown and painted (WaitForInputIdle). Taken in turns in the same run; each
// program is then closed as a user would, with WM_CLOSE to its window.
//
//   startup_bench QUORVEL.exe BARE.exe [RUNS]

#include "timing.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using quorvel::bench::median;
using quorvel::bench::now;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "startup_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

BOOL CALLBACK closeWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Milliseconds from CreateProcess to the program's first idle wait for input.
double startUp(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    const double began = now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
            nullptr, &startup, &process))
        fail("cannot start the program");
    if (WaitForInputIdle(process.hProcess, 30'000) != 0)
        fail("the program did not become idle");
    const double took = now() - began;
    EnumThreadWindows(process.dwThreadId, closeWindow, 0);
    if (WaitForSingleObject(process.hProcess, 30'000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        fail("the program did not end when closed");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return took;
}

} // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc < 3)
        fail("usage: startup_bench QUORVEL.exe BARE.exe [RUNS]");
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
    // A first run of each warms the file cache and Wine's own start.
    startUp(argv[1]);
    startUp(argv[2]);
    std::vector<double> quorvel, bare;
    for (int i = 0; i < runs; ++i) {
        quorvel.push_back(startUp(argv[1]));
        bare.push_back(startUp(argv[2]));
    }
    const double q = median(quorvel), b = median(bare);
    std::printf("start-up to the first idle wait, median of %d: quorvel.exe %.1f ms, bare window "
                "%.1f ms, ratio %.2fx\n",
        runs, q, b, q / b);
    return 0;
}
