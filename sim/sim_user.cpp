// Simulated window manager: modal dialogs run by a script instead of a user,
// message boxes with queued answers, window records, system metrics, painting
// and cursors.
#include "sim_internal.h"

#include <deque>
#include <map>
#include <memory>

namespace sim {
namespace {

struct DialogPlan {
    enum Kind { Result, Commands, Script } kind;
    INT_PTR result;
    std::vector<WORD> ids;
    DialogScript script;
};

std::vector<std::unique_ptr<Window>> g_windows;
std::deque<DialogPlan> g_dialog_plans;
std::vector<DialogCall> g_dialogs;
std::deque<int> g_msgbox_answers;
std::vector<MessageBoxCall> g_msgboxes;
std::map<int, int> g_metrics;
std::map<std::string, std::string> g_titles;
int g_cursor;

void ResetUser() {
    g_windows.clear();
    g_dialog_plans.clear();
    g_dialogs.clear();
    g_msgbox_answers.clear();
    g_msgboxes.clear();
    g_titles.clear();
    g_cursor = CursorArrow;
    // A 640 x 480 screen with classic metrics.
    g_metrics = {{SM_CXSCREEN, 640}, {SM_CYSCREEN, 480}, {SM_CXBORDER, 1}, {SM_CYBORDER, 1}, {SM_CYCAPTION, 18}};
}
internal::ResetHook g_hook(ResetUser);

Window *NewWindow() {
    g_windows.push_back(std::unique_ptr<Window>(new Window()));
    Window *w = g_windows.back().get();
    w->hwnd = static_cast<HWND>(internal::NewHandle());
    return w;
}

} // namespace

Window *FindWindowRecord(HWND hwnd) {
    for (auto &w : g_windows)
        if (w->hwnd == hwnd)
            return w.get();
    return nullptr;
}

std::vector<Window *> Children(HWND parent) {
    std::vector<Window *> out;
    for (auto &w : g_windows)
        if (w->parent == parent && parent != nullptr)
            out.push_back(w.get());
    return out;
}

void SetSystemMetric(int index, int value) { g_metrics[index] = value; }

void QueueDialogResult(INT_PTR result) { g_dialog_plans.push_back(DialogPlan{DialogPlan::Result, result, {}, nullptr}); }

void QueueDialogCommands(const std::vector<WORD> &ids) {
    g_dialog_plans.push_back(DialogPlan{DialogPlan::Commands, 0, ids, nullptr});
}

void QueueDialogScript(DialogScript script) {
    g_dialog_plans.push_back(DialogPlan{DialogPlan::Script, 0, {}, std::move(script)});
}

INT_PTR Send(HWND dlg, DLGPROC proc, UINT msg, WPARAM wparam, LPARAM lparam) { return proc(dlg, msg, wparam, lparam); }

const std::vector<DialogCall> &Dialogs() { return g_dialogs; }

void SetDialogTemplateTitle(const std::string &templ, const std::string &title) {
    g_titles[internal::Lower(templ)] = title;
}

void QueueMessageBoxAnswer(int answer) { g_msgbox_answers.push_back(answer); }
const std::vector<MessageBoxCall> &MessageBoxes() { return g_msgboxes; }

int CurrentCursor() { return g_cursor; }

} // namespace sim

using namespace sim;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE inst, LPCSTR templ, HWND owner, DLGPROC proc, LPARAM param) {
    DialogCall call{};
    call.templ = internal::ResourceName(templ);
    call.instance = inst;
    call.has_owner = owner != nullptr;
    call.proc = proc;
    call.param = param;
    Log("DialogBoxParamA(" + call.templ + ")");
    if (g_dialog_plans.empty() || ShouldFail("DialogBoxParamA")) {
        // No user answer was scripted (a test fault) or creation fails.
        call.result = -1;
        call.scripted = !g_dialog_plans.empty();
        g_dialogs.push_back(call);
        return -1;
    }
    DialogPlan plan = g_dialog_plans.front();
    g_dialog_plans.pop_front();
    call.scripted = true;
    if (plan.kind == DialogPlan::Result && plan.result == -1) {
        call.result = -1;
        g_dialogs.push_back(call);
        return -1;
    }
    Window *w = NewWindow();
    w->cls = "#32770";
    w->templ = call.templ;
    w->instance = inst;
    w->proc = proc;
    auto title = g_titles.find(internal::Lower(call.templ));
    if (title != g_titles.end())
        w->text = title->second;
    HWND hwnd = w->hwnd;
    call.hwnd = hwnd;
    size_t index = g_dialogs.size();
    g_dialogs.push_back(call);

    g_dialogs[index].init_result = proc(hwnd, WM_INITDIALOG, 0, param);
    INT_PTR result = 0;
    switch (plan.kind) {
    case DialogPlan::Result:
        result = plan.result;
        break;
    case DialogPlan::Commands:
        for (WORD id : plan.ids) {
            Window *rec = FindWindowRecord(hwnd);
            if (rec->ended)
                break;
            proc(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        result = FindWindowRecord(hwnd)->ended ? FindWindowRecord(hwnd)->end_result : -2;
        break;
    case DialogPlan::Script:
        plan.script(hwnd, proc);
        result = FindWindowRecord(hwnd)->ended ? FindWindowRecord(hwnd)->end_result : -2;
        break;
    }
    g_dialogs[index].result = result;
    return result;
}

BOOL WINAPI EndDialog(HWND dlg, INT_PTR result) {
    Window *w = FindWindowRecord(dlg);
    if (!w)
        return FALSE;
    if (!w->ended) {
        w->ended = true;
        w->end_result = result;
    }
    Log("EndDialog(" + std::to_string(static_cast<long long>(result)) + ")");
    return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_msgboxes.push_back(MessageBoxCall{text ? text : "", caption ? caption : "", type, owner != nullptr});
    Log(std::string("MessageBoxA(") + (text ? text : "") + ")");
    if (g_msgbox_answers.empty() || ShouldFail("MessageBoxA"))
        return 0;
    int answer = g_msgbox_answers.front();
    g_msgbox_answers.pop_front();
    return answer;
}

BOOL WINAPI SetWindowTextA(HWND wnd, LPCSTR text) {
    Window *w = FindWindowRecord(wnd);
    if (!w)
        return FALSE;
    w->text = text ? text : "";
    Log("SetWindowTextA(" + w->text + ")");
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    Window *w = FindWindowRecord(dlg);
    if (!w)
        return FALSE;
    w->item_text[id] = text ? text : "";
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    auto it = g_metrics.find(index);
    return it == g_metrics.end() ? 0 : it->second;
}

BOOL WINAPI MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) {
    Window *w = FindWindowRecord(wnd);
    if (!w)
        return FALSE;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->moved = true;
    w->repaint = repaint != FALSE;
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exstyle, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
    if (ShouldFail("CreateWindowExA") || (parent && !FindWindowRecord(parent)) || param)
        return nullptr;
    Window *w = NewWindow();
    w->exstyle = exstyle;
    w->cls = cls ? internal::ResourceName(cls) : "";
    w->text = name ? name : "";
    w->style = style;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->parent = parent;
    w->id = reinterpret_cast<INT_PTR>(menu);
    w->instance = inst;
    return w->hwnd;
}

HDC WINAPI BeginPaint(HWND wnd, LPPAINTSTRUCT ps) {
    if (!FindWindowRecord(wnd) || !ps)
        return nullptr;
    HDC dc = static_cast<HDC>(internal::NewHandle());
    *ps = PAINTSTRUCT();
    ps->hdc = dc;
    LedgerAcquire("dc", dc);
    Log("BeginPaint");
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *ps) {
    if (!ps)
        return FALSE;
    LedgerRelease("dc", ps->hdc);
    Log("EndPaint");
    return TRUE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE inst, LPCSTR name) {
    // Only the system cursors exist; they are shared and never freed.
    if (inst || !IS_INTRESOURCE(name))
        return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<LPSTR>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    int prev = g_cursor;
    g_cursor = static_cast<int>(reinterpret_cast<uintptr_t>(cursor));
    Log(g_cursor == CursorWait ? "SetCursor(IDC_WAIT)"
                               : g_cursor == CursorArrow ? "SetCursor(IDC_ARROW)" : "SetCursor(other)");
    return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(prev));
}
