// The home window's owner-drawn controls: creation, the subclass procedure that gives them
// hover, arrow keys and Enter, and their layout on the design canvas.
#include "ui/command_buttons.h"

#include <commctrl.h>

#include <exception>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "play/game_launch.h"
#include "play/home_window.h"
#include "ui/home_layout.h"
#include "ui/home_paint.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;

std::vector<HWND> g_buttons;        // creation order; the two cards come first
HWND g_cards[2] = {nullptr, nullptr};  // indexed by game

bool IsCardId(int id) { return id == kCardGame1Id || id == kCardGame2Id; }

void OnArrowKey() {
    const int next = (g_launcher.settings.selectedGame + 1) % 2;
    SelectGame(next);
    if (HWND card = GameCard(next)) SetFocus(card);
}

void OnEnter(HWND control) {
    const int id = GetDlgCtrlID(control);
    if (IsCardId(id)) {
        // The selected game, which may differ from the focused card's.
        LaunchSelectedGame();
        return;
    }
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(control));
}

void OnMouseMove(HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id != HotControl()) {
        SetHotControl(id);
        InvalidateRect(control, nullptr, FALSE);
    }
    // Asked on every move: Windows forgets the request once it has delivered a leave.
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = control;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) noexcept {
    switch (message) {
    case WM_GETDLGCODE:
        return ControlDialogCode(DefSubclassProc(hwnd, message, wParam, lParam),
                                 reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
        if (wParam == VK_LEFT || wParam == VK_RIGHT) {
            OnArrowKey();
            return 0;
        }
        if (wParam == VK_RETURN) {
            OnEnter(hwnd);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(hwnd);
        break;
    case WM_MOUSELEAVE:
        SetHotControl(-1);
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, ControlSubclassProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Adds the control's move to the batch unless it already sits there; a failed batch (null)
// is passed on, and the caller places the controls one by one.
HDWP Place(HDWP batch, HWND control, const CanvasFit& fit) {
    const RECT r = PlaceOnCanvas(HomeControlDesignRect(GetDlgCtrlID(control)), fit);
    RECT now = {};
    GetWindowRect(control, &now);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &r)) return batch;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!batch) {
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
        return nullptr;
    }
    return DeferWindowPos(batch, control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
}
}  // namespace

HWND CreateOwnerDrawnControl(HWND parent, const wchar_t* text, int id) {
    // Created where the current layout puts it: a move after creation costs a redraw.
    const RECT r = PlaceOnCanvas(HomeControlDesignRect(id), HomeCanvasFit());
    HWND control = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                   r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   g_launcher.instance, nullptr);
    if (!control) return nullptr;
    SetWindowSubclass(control, ControlSubclassProc, kSubclassId, 0);
    g_buttons.push_back(control);
    if (IsCardId(id)) g_cards[id - kCardGame1Id] = control;
    return control;
}

void LayoutHomeControls(HWND home) {
    RECT client = {};
    GetClientRect(home, &client);
    const CanvasFit fit = FitHomeCanvas(client.right - client.left, client.bottom - client.top);
    SetHomeCanvasFit(fit);
    auto placeAll = [&fit](HDWP batch) {
        for (HWND card : g_cards) {
            if (card) batch = Place(batch, card, fit);
        }
        for (HWND control : g_buttons) {
            if (!IsCardId(GetDlgCtrlID(control))) batch = Place(batch, control, fit);
        }
        return batch;
    };
    // One batch: the controls move together and the window repaints once.
    HDWP batch = BeginDeferWindowPos(static_cast<int>(g_buttons.size()));
    const bool batched = batch != nullptr;
    batch = placeAll(batch);
    if (batch) {
        EndDeferWindowPos(batch);
    } else if (batched) {
        placeAll(nullptr);  // the batch failed part-way and took its moves with it
    }
    InvalidateRect(home, nullptr, FALSE);
}

HWND GameCard(int index) { return (index == 0 || index == 1) ? g_cards[index] : nullptr; }

void ForgetHomeControls() {
    g_buttons.clear();
    g_cards[0] = g_cards[1] = nullptr;
    SetHotControl(-1);
}

void CardStatusChanged() {
    for (HWND card : g_cards) {
        if (!card) continue;
        InvalidateRect(card, nullptr, FALSE);
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, card, OBJID_CLIENT, CHILDID_SELF);
    }
}
