// console-sim.exe: a host console for trying and testing Sidecar without the real one.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "simulator.h"

int wmain(int argc, wchar_t** argv) {
    // Lines end in LF whatever the platform, so the output pipes and compares the same everywhere; texts
    // are UTF-8.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);

    std::string error;
    std::optional<consim::Options> options = consim::ParseOptions(argc, argv, error);
    if (!options) {
        const std::string text =
            (error.empty() ? std::string() : "console-sim: " + error + "\n") + consim::UsageText();
        std::fwrite(text.data(), 1, text.size(), error.empty() ? stdout : stderr);
        return error.empty() ? 0 : 2;
    }
    try {
        consim::CSimulator simulator(std::move(*options));
        return simulator.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "console-sim: %s\n", e.what());
        return 2;
    }
}
