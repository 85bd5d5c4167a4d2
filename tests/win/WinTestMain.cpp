// GoogleTest's main, plus the child role the single-instance tests start this program in:
//   --instance-probe NAME [--go EVENT] [--hold EVENT]
// waits for EVENT "go" when given, asks Win32Api(NAME) whether another instance runs, and when
// none does keeps its claim until EVENT "hold" is set. Exit code 0: first instance, 1: another
// instance was running, 2: bad arguments.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "platform/win32/Win32Api.h"

namespace {

HANDLE OpenNamedEvent(const std::string& name) {
    return ::OpenEventW(SYNCHRONIZE, FALSE, velt::wintest::Wide(name).c_str());
}

int InstanceProbe(int argc, char** argv) {
    std::string name, go, hold;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return 2;
        }
        const std::string flag = argv[i];
        if (flag == "--instance-probe") {
            name = argv[i + 1];
        } else if (flag == "--go") {
            go = argv[i + 1];
        } else if (flag == "--hold") {
            hold = argv[i + 1];
        } else {
            return 2;
        }
    }
    if (name.empty()) {
        return 2;
    }
    if (!go.empty()) {
        const HANDLE event = OpenNamedEvent(go);
        if (event == nullptr || ::WaitForSingleObject(event, 30000) != WAIT_OBJECT_0) {
            return 2;
        }
        ::CloseHandle(event);
    }
    velt::platform::win32::Win32Api api(velt::wintest::Wide(name));
    const bool another = api.IsAnotherInstanceRunning();
    if (!another && !hold.empty()) {
        const HANDLE event = OpenNamedEvent(hold);
        if (event == nullptr) {
            return 2;
        }
        ::WaitForSingleObject(event, 30000);
        ::CloseHandle(event);
    }
    return another ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--instance-probe") {
        return InstanceProbe(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
