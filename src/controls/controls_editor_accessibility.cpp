#include "controls/controls_editor_accessibility.h"

#include "controls/controls_editor.h"
#include "controls/controls_profile.h"
#include "texts/texts.h"
#include "ui/accessible_object.h"

namespace {
std::wstring WindowTextOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

bool InRange(int id, int first) { return id >= first && id < first + kActionCount; }

void BindingFacts(HWND button, AccessibleFacts* facts) {
    facts->role = ROLE_SYSTEM_PUSHBUTTON;
    facts->name = BindingButtonName(GetDlgCtrlID(button));
    facts->value = WindowTextOf(button);
    facts->defaultAction = Text("controls.access.change");
}

void ClearFacts(HWND button, AccessibleFacts* facts) {
    facts->role = ROLE_SYSTEM_PUSHBUTTON;
    facts->name = FormatText("controls.access.clear",
                             {{"action", ActionLabel(GetDlgCtrlID(button) - kFirstClearButtonId)}});
    facts->defaultAction = Text("controls.access.press");
}

void PulseBoxFacts(HWND box, AccessibleFacts* facts) {
    const bool ticked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    facts->role = ROLE_SYSTEM_CHECKBUTTON;
    facts->name = WindowTextOf(GetDlgItem(GetParent(box), kPulseLabelId));
    facts->state = ticked ? STATE_SYSTEM_CHECKED : 0;
    facts->defaultAction = Text(ticked ? "controls.access.uncheck" : "controls.access.check");
}
}  // namespace

std::wstring BindingButtonName(int id) {
    if (InRange(id, kFirstKeyButtonId)) {
        return FormatText("controls.access.keyboard", {{"action", ActionLabel(id - kFirstKeyButtonId)}});
    }
    if (InRange(id, kFirstControllerButtonId)) {
        return FormatText("controls.access.controller", {{"action", ActionLabel(id - kFirstControllerButtonId)}});
    }
    return L"";
}

void GiveEditorAccessibleFacts(HWND editor) {
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (InRange(id, kFirstKeyButtonId) || InRange(id, kFirstControllerButtonId)) {
            GiveAccessibleFacts(child, BindingFacts);
        } else if (InRange(id, kFirstClearButtonId)) {
            GiveAccessibleFacts(child, ClearFacts);
        } else if (id == kPulseBoxId) {
            GiveAccessibleFacts(child, PulseBoxFacts);
        }
    }
}

void SetBindingText(HWND button, const std::wstring& text) {
    if (!button || WindowTextOf(button) == text) return;
    SetWindowTextW(button, text.c_str());
    NotifyAccessibleChange(EVENT_OBJECT_VALUECHANGE, button);
}
