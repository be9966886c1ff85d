// When a box needs our own button texts, and which buttons (and answers) a box type has.
#include <gtest/gtest.h>

#include "ui/task_dialog.h"

TEST(MessageBoxChoice, OwnButtonsUnlessTheLauncherAndWindowsBothSpeakEnglish) {
    const struct {
        const char* launcher;
        const char* windows;
        bool own;
    } cases[] = {
        {"en", "en-US", false},      {"en", "en-GB", false},   {"EN", "en_US", false},
        {"en", "de-DE", true},       {"de", "de-DE", true},    {"fr", "en-US", true},
        {"pt-BR", "pt-BR", true},    {"qps-ploc", "en-US", true}, {"en", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsOwnButtonTexts(c.launcher, c.windows), c.own) << c.launcher << " on " << c.windows;
    }
}

TEST(MessageBoxChoice, EachTypeKeepsMessageBoxAnswersInWindowsOrder) {
    const struct {
        UINT type;
        std::vector<int> ids;
        std::vector<std::string> keys;
    } cases[] = {
        {MB_OK | MB_ICONERROR, {IDOK}, {"button.ok"}},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, {"button.ok", "button.cancel"}},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, {"button.yes", "button.no"}},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, {IDYES, IDNO, IDCANCEL}, {"button.yes", "button.no", "button.cancel"}},
    };
    for (const auto& c : cases) {
        std::vector<int> ids;
        std::vector<std::string> keys;
        for (const MessageBoxButton& button : MessageBoxButtons(c.type)) {
            ids.push_back(button.id);
            keys.push_back(button.textKey);
        }
        EXPECT_EQ(ids, c.ids) << std::hex << c.type;
        EXPECT_EQ(keys, c.keys) << std::hex << c.type;
    }
}
