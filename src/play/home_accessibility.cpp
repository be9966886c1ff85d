#include "play/home_accessibility.h"

#include <cwchar>

#include "app/game_table.h"
#include "app/launcher_state.h"
#include "play/play_time.h"
#include "texts/texts.h"
#include "ui/accessible_object.h"
#include "ui/command_buttons.h"
#include "ui/home_paint.h"

namespace {
// Painted texts break lines where the canvas needs it; read aloud they run on (a line of a list
// ends as a sentence).
std::wstring OneLine(const std::wstring& text, const wchar_t* lineBreak = L" ") {
    std::wstring line = text;
    const size_t step = wcslen(lineBreak);
    for (size_t at = line.find(L'\n'); at != std::wstring::npos; at = line.find(L'\n', at + step)) {
        line.replace(at, 1, lineBreak);
    }
    return line;
}

std::wstring WindowTextOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

int SelectedGame() { return g_launcher.settings.selectedGame == 1 ? 1 : 0; }

void CardFacts(HWND card, AccessibleFacts* facts) {
    const int game = GetDlgCtrlID(card) == kCardGame2Id ? 1 : 0;
    facts->role = ROLE_SYSTEM_RADIOBUTTON;
    facts->name = kGames[game].spokenTitle;
    const bool installed = IsGameInstalled(game);
    facts->description = CardDescription(game, installed);
    // As the card shows it: the play time of an installed game, while the player keeps it shown.
    if (installed && g_launcher.settings.showPlayTime) facts->description = FormatText("home.access.card_play_time",
                                                 {{"description", facts->description}, {"play_time", CardPlayTimeText(game)}});
    facts->defaultAction = Text("home.access.action_select");
    if (game == SelectedGame()) facts->state = STATE_SYSTEM_CHECKED;
}

void CommandFacts(HWND button, AccessibleFacts* facts) {
    facts->role = ROLE_SYSTEM_PUSHBUTTON;
    facts->defaultAction = Text("home.access.action_press");
    if (GetDlgCtrlID(button) == kPlayId) {
        facts->name = PlayButtonName(SelectedGame(), IsGameInstalled(SelectedGame()));
    } else {
        facts->name = WindowTextOf(button);  // "Video & CRT" keeps its "&": nothing here reads it as a key
    }
}

void HomeFacts(HWND home, AccessibleFacts* facts) {
    facts->role = ROLE_SYSTEM_CLIENT;
    facts->name = WindowTextOf(home);
    const int game = SelectedGame();
    const std::wstring status = GameStatusLine(IsGameInstalled(game));
    facts->description = FormatText("home.access.description",
                                    {{"lead", OneLine(Text("home.lead"))},
                                     {"hint", OneLine(Text("home.hint.keys"))},
                                     {"blurb", OneLine(Text(kGames[game].blurbKey))},
                                     {"status", status},
                                     {"news_heading", Text("home.whats_new.heading")},
                                     {"news", OneLine(Text("home.whats_new.text"), L". ")},
                                     {"controls", OneLine(Text("home.hint.controls"))}});
}
}  // namespace

std::wstring CardDescription(int game, bool installed) {
    return FormatText(installed ? "home.access.card_ready" : "home.access.card_not_installed",
                      {{"blurb", OneLine(Text(kGames[game].blurbKey))}});
}

std::wstring PlayButtonName(int game, bool installed) {
    return installed ? FormatText("home.access.play_game", {{"game", kGames[game].spokenTitle}})
                     : Text("home.access.install_games");
}

void GiveHomeControlsAccessibleFacts(HWND home) {
    for (HWND child = GetWindow(home, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        GiveAccessibleFacts(child, (id == kCardGame1Id || id == kCardGame2Id) ? CardFacts : CommandFacts);
    }
}

LRESULT AnswerHomeGetObject(HWND home, WPARAM wParam, LPARAM lParam) {
    return AnswerGetObject(home, wParam, lParam, HomeFacts);
}

void NotifyHomeSelectionChanged(HWND home) {
    NotifyAccessibleChange(EVENT_OBJECT_STATECHANGE, GameCard(0));
    NotifyAccessibleChange(EVENT_OBJECT_STATECHANGE, GameCard(1));
    NotifyAccessibleChange(EVENT_OBJECT_NAMECHANGE, GetDlgItem(home, kPlayId));
}
