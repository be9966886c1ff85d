// A language change reaches the open windows at once: each reads its texts again, a status line
// from the table included, and English comes back text for text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "launcher_windows_fixture.h"
#include "texts/texts.h"
#include "ui/language_change.h"
#include "update/update_entry.h"
#include "update/update_state.h"

namespace {
constexpr int kHomeUpdatesId = 207;
constexpr int kCheckId = 101;

std::vector<std::wstring> ChildTexts(HWND window) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(WindowText(child));
    return texts;
}

bool Shows(HWND window, const std::wstring& text) {
    const std::vector<std::wstring> texts = ChildTexts(window);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
}  // namespace

TEST_F(LauncherWindows, ALanguageChangeRereadsTheUpdatesWindowAndItsStatusLine) {
    HWND home = Home();
    OpenUpdatesWindow(home);
    HWND updates = UpdatesWindow();
    ASSERT_NE(updates, nullptr);
    const struct {
        const char* tag;
        const wchar_t* title;
        const wchar_t* check;
        const wchar_t* status;  // this copy has no update tools
        const wchar_t* foundAsset;  // what a check found; empty: nothing
        const wchar_t* homeButton;
    } steps[] = {
        {"es", L"Actualizaciones", L"Buscar ahora",
         L"Instala primero los juegos para activar las actualizaciones autom\u00E1ticas.", L"", L"Actualizaciones"},
        {"de", L"Updates", L"Updates suchen",
         L"Installiere zuerst die Spiele, um automatische Updates zu nutzen.", L"", L"Updates"},
        {"fr", L"Mises \u00E0 jour", L"Rechercher",
         L"Installez d\u2019abord les jeux pour activer les mises \u00E0 jour automatiques.", L"release.zip",
         L"Mise \u00E0 jour disponible"},
        {"en", L"Updates", L"Check for updates", L"Install the games first to enable automatic updates.",
         L"release.zip", L"Update available"},
        {"en", L"Updates", L"Check for updates", L"Install the games first to enable automatic updates.", L"",
         L"Updates"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.tag);
        g_update.asset = step.foundAsset;
        SetTextLanguage(step.tag);
        EXPECT_GE(AnnounceLanguageChange(), 2);
        EXPECT_EQ(WindowText(updates), step.title);
        EXPECT_EQ(WindowText(GetDlgItem(updates, kCheckId)), step.check);
        EXPECT_TRUE(Shows(updates, step.status)) << "the status line was not read again";
        EXPECT_EQ(WindowText(GetDlgItem(home, kHomeUpdatesId)), step.homeButton);
    }
    g_update.asset.clear();
    Close(updates);
}
