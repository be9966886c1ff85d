#include "controls/pad_script.h"

#include <cwctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "controls/controller_input.h"
#include "controls/controls_profile.h"
#include "controls/virtual_controller.h"

namespace {
constexpr UINT kTickMs = 5;
constexpr int kTapMs = 100;
constexpr int kScriptPads = 2;

struct Name {
    const wchar_t* text;
    int code;
};
// SDL's names and numbers (SDL_GameControllerButton, SDL_GameControllerAxis).
constexpr Name kButtons[] = {
    {L"a", 0},          {L"b", 1},           {L"x", 2},           {L"y", 3},
    {L"back", 4},       {L"guide", 5},       {L"start", 6},       {L"leftstick", 7},
    {L"rightstick", 8}, {L"leftshoulder", 9}, {L"rightshoulder", 10}, {L"dpup", 11},
    {L"dpdown", 12},    {L"dpleft", 13},     {L"dpright", 14},
};
constexpr Name kAxes[] = {{L"leftx", 0},  {L"lefty", 1},       {L"rightx", 2},
                          {L"righty", 3}, {L"lefttrigger", 4}, {L"righttrigger", 5}};

template <size_t N>
bool Lookup(const Name (&names)[N], const std::wstring& text, int& code) {
    for (const Name& name : names) {
        if (text == name.text) {
            code = name.code;
            return true;
        }
    }
    return false;
}

// "[N:]NAME" against one of the name tables.
template <size_t N>
bool ParseInput(const Name (&names)[N], std::wstring word, PadScriptStep::Input& input) {
    input.pad = 0;
    if (word.size() > 2 && word[1] == L':') {
        if (word[0] != L'1' && word[0] != L'2') return false;
        input.pad = word[0] - L'1';
        word = word.substr(2);
    }
    return Lookup(names, word, input.code);
}

bool ParseNumber(const std::wstring& word, long long low, long long high, int& value) {
    if (word.empty() || word.size() > 7) return false;
    size_t start = (word[0] == L'-') ? 1 : 0;
    if (start == word.size()) return false;
    for (size_t i = start; i < word.size(); ++i) {
        if (!iswdigit(word[i])) return false;
    }
    const long long number = std::stoll(word);
    if (number < low || number > high) return false;
    value = static_cast<int>(number);
    return true;
}

constexpr struct {
    const wchar_t* text;
    PadFamily family;
} kFamilies[] = {{L"xbox", PadFamily::Xbox},
                 {L"playstation", PadFamily::PlayStation},
                 {L"nintendo", PadFamily::Nintendo},
                 {L"other", PadFamily::Other}};

bool ParseFamily(const std::vector<std::wstring>& words, PadScript& script) {
    if (words.size() != 2) return false;
    std::wstring word = words[1];
    int pad = 0;
    if (word.size() > 2 && word[1] == L':') {
        if (word[0] != L'1' && word[0] != L'2') return false;
        pad = word[0] - L'1';
        word = word.substr(2);
    }
    for (const auto& entry : kFamilies) {
        if (word == entry.text) {
            script.familyGiven[pad] = true;
            script.family[pad] = entry.family;
            return true;
        }
    }
    return false;
}

// One line into steps; false when it does not parse.
bool ParseLine(const std::wstring& line, PadScript& script) {
    std::vector<PadScriptStep>& steps = script.steps;
    std::wistringstream stream(line);
    std::vector<std::wstring> words{std::istream_iterator<std::wstring, wchar_t>(stream),
                                    std::istream_iterator<std::wstring, wchar_t>()};
    if (words.empty() || words[0][0] == L'#') return true;
    const std::wstring& verb = words[0];
    if (verb == L"family") return ParseFamily(words, script);
    PadScriptStep step;
    if (verb == L"wait") {
        step.kind = PadScriptStep::Wait;
        if (words.size() != 2 || !ParseNumber(words[1], 0, 600000, step.milliseconds)) return false;
        steps.push_back(step);
        return true;
    }
    if (verb == L"axis") {
        step.kind = PadScriptStep::Axis;
        PadScriptStep::Input input;
        if (words.size() != 3 || !ParseInput(kAxes, words[1], input) ||
            !ParseNumber(words[2], -32768, 32767, step.value)) {
            return false;
        }
        step.inputs.push_back(input);
        steps.push_back(step);
        return true;
    }
    if (verb != L"press" && verb != L"release" && verb != L"tap") return false;
    if (words.size() < 2) return false;
    for (size_t i = 1; i < words.size(); ++i) {
        PadScriptStep::Input input;
        if (!ParseInput(kButtons, words[i], input)) return false;
        step.inputs.push_back(input);
    }
    step.kind = verb == L"release" ? PadScriptStep::Release : PadScriptStep::Press;
    steps.push_back(step);
    if (verb == L"tap") {
        PadScriptStep wait;
        wait.milliseconds = kTapMs;
        steps.push_back(wait);
        step.kind = PadScriptStep::Release;
        steps.push_back(step);
    }
    return true;
}

struct Player {
    PadScript script;
    bool loaded = false;
    size_t next = 0;
    ULONGLONG due = 0;
    HWND timerWindow = nullptr;
    std::unique_ptr<VirtualController> pads[kScriptPads];
};
Player g_player;

void Play(const PadScriptStep& step) {
    for (const PadScriptStep::Input& input : step.inputs) {
        SDL_Joystick* joystick = g_player.pads[input.pad] ? g_player.pads[input.pad]->joystick() : nullptr;
        if (!joystick) continue;
        if (step.kind == PadScriptStep::Axis) {
            SDL_JoystickSetVirtualAxis(joystick, input.code, static_cast<Sint16>(step.value));
        } else {
            SDL_JoystickSetVirtualButton(joystick, input.code,
                                         step.kind == PadScriptStep::Press ? SDL_PRESSED : SDL_RELEASED);
        }
    }
}
}  // namespace

PadScript ParsePadScript(const std::wstring& text) {
    PadScript script;
    std::wistringstream lines(text);
    std::wstring line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!ParseLine(line, script)) {
            script = PadScript{};
            script.errorLine = number;
            return script;
        }
    }
    return script;
}

bool LoadPadScript(const std::filesystem::path& file, std::wstring& message) {
    std::ifstream stream(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!stream.is_open() || stream.bad()) {
        message = L"The scripted pad file cannot be read: " + file.wstring();
        return false;
    }
    const std::wstring text = WideFromUtf8(bytes.c_str());
    g_player.script = ParsePadScript(text);
    if (g_player.script.errorLine > 0) {
        std::wistringstream lines(text);
        std::wstring line;
        for (int n = 0; n < g_player.script.errorLine; ++n) std::getline(lines, line);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        message = L"Line " + std::to_wstring(g_player.script.errorLine) + L" of " + file.wstring() +
                  L" does not parse: \"" + line + L"\"";
        return false;
    }
    g_player.loaded = true;
    return true;
}

bool PadScriptLoaded() { return g_player.loaded; }

void StartPadScript(HWND timerWindow) {
    if (!g_player.loaded || g_player.timerWindow) return;
    StartControllers();
    const char* const names[kScriptPads] = {"Launcher scripted pad 1", "Launcher scripted pad 2"};
    for (int pad = 0; pad < kScriptPads; ++pad) {
        const PadIds ids = g_player.script.familyGiven[pad] ? IdsForFamily(g_player.script.family[pad]) : PadIds{0, 0};
        g_player.pads[pad] = std::make_unique<VirtualController>(names[pad], ids.vendor, ids.product);
    }
    g_player.timerWindow = timerWindow;
    g_player.next = 0;
    g_player.due = GetTickCount64();
    SetTimer(timerWindow, kPadScriptTimerId, kTickMs, nullptr);
}

void RunPadScriptTick() {
    const ULONGLONG now = GetTickCount64();
    while (g_player.next < g_player.script.steps.size() && now >= g_player.due) {
        const PadScriptStep& step = g_player.script.steps[g_player.next++];
        if (step.kind == PadScriptStep::Wait) {
            g_player.due = now + static_cast<ULONGLONG>(step.milliseconds);
        } else {
            Play(step);
        }
    }
    // After the last line the run goes on as a normal run, the controllers staying attached.
    if (g_player.next >= g_player.script.steps.size()) KillTimer(g_player.timerWindow, kPadScriptTimerId);
}
