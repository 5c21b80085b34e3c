#pragma once
// A test program that needs a D-Bus session bus of its own runs inside
// dbus-run-session: main() starts the program again under it, once.
#include <QtGlobal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace session_bus {

// Returns only inside the private bus; otherwise replaces the process, or
// gives the exit status 1 when dbus-run-session can't be started.
inline int enterPrivateBus(int argc, char **argv)
{
    static const char kMarker[] = "TESS_TEST_PRIVATE_BUS";
    if (qEnvironmentVariableIsSet(kMarker))
        return 0;
    qputenv(kMarker, "1");
    std::vector<char *> args{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    std::perror("dbus-run-session");
    return 1;
}

} // namespace session_bus
