// Simulated SHELL32: ShellExecuteA records the start like WinExec does.
#include "sim_internal.h"

#include <shellapi.h>

namespace sim {
namespace {
INT_PTR g_shell_result = 42;
void ResetShell() { g_shell_result = 42; }
internal::ResetHook g_hook(ResetShell);
} // namespace

void SetShellExecuteResult(INT_PTR result) { g_shell_result = result; }

} // namespace sim

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
    sim::Start s{};
    s.api = "ShellExecuteA";
    s.verb = verb ? verb : "";
    s.file = file ? file : "";
    s.params = params ? params : "";
    s.null_params = params == nullptr;
    s.dir = dir ? dir : "";
    s.show = show;
    s.has_owner = owner != nullptr;
    sim::internal::RecordStart(s);
    sim::Log("ShellExecuteA(" + s.file + ")");
    if (sim::ShouldFail("ShellExecuteA"))
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(ERROR_FILE_NOT_FOUND));
    return reinterpret_cast<HINSTANCE>(sim::g_shell_result);
}
