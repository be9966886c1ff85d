// The controls profile through real INI files: validation on load, the file written on save,
// the atomic replace, and the texts that name keys and controller inputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/verified_file_replace.h"
#include "controls/controls_profile.h"
#include "temp_folder.h"
#include "texts/texts.h"

namespace fs = std::filesystem;

namespace {
ControlsProfile LoadFrom(const TempFolder& folder, const std::string& lines) {
    const fs::path file = folder.path() / L"controls.ini";
    WriteFileBytes(file, "[controls]\r\n" + lines);
    return LoadControlsProfile(file);
}

const ActionBinding& Row(const ControlsProfile& profile, int row) { return profile.bindings[static_cast<size_t>(row)]; }

// The keys of the section in file order, read back through the profile functions.
std::vector<std::wstring> SectionLines(const fs::path& file) {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetPrivateProfileSectionW(L"controls", buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   file.c_str());
    std::vector<std::wstring> lines;
    for (const wchar_t* p = buffer.data(); p < buffer.data() + length && *p; p += wcslen(p) + 1) lines.push_back(p);
    return lines;
}

// Another process holding `file` open as a scanner would, for `ms` milliseconds.
class FileHolder {
public:
    FileHolder(const fs::path& file, int ms) {
        wchar_t module[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        const fs::path program = fs::path(module).parent_path() / L"tlvr_file_holder.exe";
        std::wstring commandLine = L"\"" + program.wstring() + L"\" \"" + file.wstring() + L"\" " + std::to_wstring(ms);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &startup, &info)) {
            CloseHandle(info.hThread);
            process_ = info.hProcess;
        }
        const fs::path marker = fs::path(file.wstring() + L".held");
        for (int i = 0; i < 200 && process_ && !fs::exists(marker); ++i) Sleep(25);
        holding_ = fs::exists(marker);
    }
    ~FileHolder() {
        if (!process_) return;
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    bool holding() const { return holding_; }

private:
    HANDLE process_ = nullptr;
    bool holding_ = false;
};
}  // namespace

TEST(ControlsProfileLoad, BindingsAreValidatedAsWholes) {
    TempFolder folder(L"tlvr-controls");
    const ControlsProfile profile = LoadFrom(folder,
                                             "throttle_kind=2\r\nthrottle_code=4\r\nthrottle_sign=1\r\n"
                                             "left_kind=2\r\nleft_code=0\r\nleft_sign=0\r\n"
                                             "brake_kind=1\r\nbrake_code=7\r\nbrake_sign=-1\r\n"
                                             "right_kind=1\r\nright_code=-1\r\n"
                                             "aux_c_kind=2\r\naux_c_code=6\r\naux_c_sign=1\r\n"
                                             "shift_up_kind=2\r\nshift_up_code=1\r\nshift_up_sign=-1\r\n"
                                             "shift_down_kind=0\r\nshift_down_code=3\r\n"
                                             "menu_up_kind=7\r\n");
    EXPECT_EQ(Row(profile, kThrottle).kind, kBindingAxis);
    EXPECT_EQ(Row(profile, kThrottle).code, 4);
    EXPECT_EQ(Row(profile, kThrottle).sign, 1);
    EXPECT_EQ(ControllerText(Row(profile, kThrottle)), L"LT / L2");

    EXPECT_EQ(Row(profile, kSteerLeft).kind, kBindingButton) << "an axis without a direction is refused whole";
    EXPECT_EQ(Row(profile, kSteerLeft).code, 13);
    EXPECT_EQ(ControllerText(Row(profile, kSteerLeft)), L"D-pad left");

    EXPECT_EQ(Row(profile, kBrake).kind, kBindingButton);
    EXPECT_EQ(Row(profile, kBrake).code, 7);
    EXPECT_EQ(Row(profile, kBrake).sign, 0) << "a button never keeps a direction";

    EXPECT_EQ(Row(profile, 3).code, 14) << "a negative button code keeps the default";
    EXPECT_EQ(Row(profile, 8).kind, kBindingButton) << "axis 6 does not exist";
    EXPECT_EQ(Row(profile, 8).code, 2);
    EXPECT_EQ(ControllerText(Row(profile, kShiftUp)), L"Left stick vertical \u2212");
    EXPECT_EQ(Row(profile, kShiftDown).kind, kBindingNone);
    EXPECT_EQ(ControllerText(Row(profile, kShiftDown)), L"No button");
    EXPECT_EQ(Row(profile, kMenuUp).kind, kBindingButton) << "an unknown kind keeps the default";
    EXPECT_EQ(Row(profile, kMenuUp).code, 11);
}

TEST(ControlsProfileLoad, KeysAndSettingsFallBackOrAreClamped) {
    TempFolder folder(L"tlvr-controls");
    struct Case {
        std::string lines;
        int startKey, menuDownKey, deadzone, slot, steering, pulse;
    };
    const Case cases[] = {
        {"start_key=43\r\nmenu_down_key=600\r\ndeadzone=0\r\ncontroller_slot=-2\r\nsteering_stick=7\r\n", 40, 81, 5, 0,
         2, 0},
        {"start_key=0\r\nmenu_down_key=62\r\ndeadzone=99\r\ncontroller_slot=9\r\nsteering_stick=-1\r\npulse_pedals=3\r\n",
         0, 81, 50, 5, 0, 1},
        {"start_key=41\r\nmenu_down_key=70\r\ndeadzone=abc\r\ncontroller_slot=1\r\npulse_pedals=-1\r\n", 40, 70, 5, 1, 0,
         1},
        {"start_key=x\r\nmenu_down_key=511\r\ndeadzone=30\r\nsteering_stick=1\r\npulse_pedals=0\r\n", 0, 511, 30, 0, 1,
         0},
    };
    for (const Case& c : cases) {
        const ControlsProfile profile = LoadFrom(folder, c.lines);
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(Row(profile, 9).key, c.startKey);
        EXPECT_EQ(Row(profile, kMenuDown).key, c.menuDownKey);
        EXPECT_EQ(profile.deadzone, c.deadzone);
        EXPECT_EQ(profile.controllerSlot, c.slot);
        EXPECT_EQ(profile.steeringStick, c.steering);
        EXPECT_EQ(profile.pulsePedals, c.pulse);
    }
    EXPECT_EQ(KeyText(0), L"No key");
    EXPECT_EQ(LoadControlsProfile(L""), DefaultControlsProfile());
    EXPECT_EQ(LoadControlsProfile(folder.path() / L"missing.ini"), DefaultControlsProfile());
}

TEST(ControlsProfileSave, DefaultsRoundTripWithVersionFirstAndFortyFiveKeys) {
    TempFolder folder(L"tlvr-controls");
    const fs::path file = folder.path() / L"controls.ini";
    ASSERT_TRUE(SaveControlsProfile(DefaultControlsProfile(), file));
    EXPECT_FALSE(fs::exists(folder.path() / L"controls.ini.tmp")) << "the temporary file is moved into place";
    EXPECT_EQ(LoadControlsProfile(file), DefaultControlsProfile());
    const std::vector<std::wstring> lines = SectionLines(file);
    ASSERT_EQ(lines.size(), 45u);
    EXPECT_EQ(lines[0], L"version=1");
    EXPECT_EQ(lines[1], L"deadzone=25");
    EXPECT_EQ(lines[4], L"pulse_pedals=0");
    EXPECT_EQ(lines[5], L"menu_up_key=82");
    EXPECT_EQ(lines[29], L"shift_up_key=8");
    EXPECT_EQ(lines[32], L"shift_up_sign=0");
    EXPECT_EQ(lines[44], L"start_sign=0");
}

TEST(ControlsProfileSave, EveryFieldSurvivesAndNegativeSignsAreWrittenWithAMinus) {
    TempFolder folder(L"tlvr-controls");
    const fs::path file = folder.path() / L"controls.ini";
    ControlsProfile profile = DefaultControlsProfile();
    profile.deadzone = 41;
    profile.controllerSlot = 1;
    profile.steeringStick = 2;
    profile.pulsePedals = 1;
    profile.bindings[kSteerLeft] = ActionBinding{4, kBindingAxis, 0, -1};
    // A cleared input keeps the default's code and sign on loading; nothing reads them.
    profile.bindings[kBrake] = ActionBinding{0, kBindingNone, 1, 0};
    profile.bindings[9] = ActionBinding{229, kBindingButton, 20, 0};
    ASSERT_TRUE(SaveControlsProfile(profile, file));
    EXPECT_EQ(LoadControlsProfile(file), profile);
    EXPECT_EQ(GetPrivateProfileIntW(L"controls", L"left_sign", 0, file.c_str()), static_cast<UINT>(-1));
    EXPECT_NE(ReadFileBytes(file).find("left_sign=-1"), std::string::npos);
}

TEST(ControlsProfileSave, FailuresLeaveThePreviousProfileByteForByte) {
    TempFolder folder(L"tlvr-controls");
    // No folder: nothing is created anywhere.
    const fs::path missing = folder.path() / L".local" / L"controls.ini";
    EXPECT_FALSE(SaveControlsProfile(DefaultControlsProfile(), missing));
    EXPECT_FALSE(fs::exists(folder.path() / L".local"));

    // A temporary file that cannot be written: the real file is untouched.
    const fs::path file = folder.path() / L"controls.ini";
    const std::string previous = "[controls]\r\ndeadzone=33\r\n; the user's own notes\r\n";
    WriteFileBytes(file, previous);
    fs::create_directory(folder.path() / L"controls.ini.tmp");
    ControlsProfile changed = DefaultControlsProfile();
    changed.deadzone = 10;
    EXPECT_FALSE(SaveControlsProfile(changed, file));
    EXPECT_EQ(ReadFileBytes(file), previous);
}

TEST(ControlsProfileSave, ReplaceWaitsForAShortHoldAndGivesUpOnALongOne) {
    TempFolder folder(L"tlvr-controls");
    const fs::path file = folder.path() / L"controls.ini";
    const std::string previous = "[controls]\r\ndeadzone=33\r\n";
    ControlsProfile changed = DefaultControlsProfile();
    changed.deadzone = 12;
    {
        WriteFileBytes(file, previous);
        FileHolder holder(file, 5000);
        ASSERT_TRUE(holder.holding()) << "the holder program could not open the profile";
        EXPECT_FALSE(SaveControlsProfile(changed, file)) << "a replace over a held file cannot succeed";
        EXPECT_EQ(ReadFileBytes(file), previous);
    }
    fs::remove(fs::path(file.wstring() + L".held"));
    {
        FileHolder holder(file, 300);
        ASSERT_TRUE(holder.holding());
        EXPECT_TRUE(SaveControlsProfile(changed, file)) << "the save gave up within the scanner's moment";
    }
    EXPECT_EQ(LoadControlsProfile(file).deadzone, 12);
    EXPECT_TRUE(IsTransientReplaceError(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(IsTransientReplaceError(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsTransientReplaceError(ERROR_PATH_NOT_FOUND));
}

TEST(ControlsProfileTexts, KeysButtonsAndAxesAreNamed) {
    EXPECT_EQ(KeyText(27), L"X");
    EXPECT_EQ(KeyText(229), L"Right Shift");
    EXPECT_EQ(KeyText(40), L"Return");
    EXPECT_EQ(ControllerText({0, kBindingButton, 0, 0}), L"A / Cross");
    EXPECT_EQ(ControllerText({0, kBindingButton, 14, 0}), L"D-pad right");
    EXPECT_EQ(ControllerText({0, kBindingButton, 15, 0}), L"misc1") << "codes above 14 are SDL's names";
    EXPECT_EQ(ControllerText({0, kBindingAxis, 2, 1}), L"Right stick horizontal +");
    EXPECT_EQ(ControllerText({0, kBindingAxis, 5, -1}), L"RT / R2") << "a trigger has one direction";
    EXPECT_EQ(ControllerText({0, kBindingAxis, 6, 1}), L"Eixo");
    EXPECT_EQ(ControllerText({0, kBindingAxis, -1, 1}), L"Eixo");
    SetTextLanguage("ru");
    EXPECT_EQ(ControllerText({0, kBindingAxis, 6, 1}), L"\u041E\u0441\u044C") << "an unknown axis in the player's language";
    SetTextLanguage("en");
    EXPECT_EQ(ActionLabel(4), L"Accelerate / button B");
    EXPECT_EQ(ActionLabel(10), L"");
    EXPECT_EQ(ActionLabel(-1), L"");
    EXPECT_EQ(WideFromUtf8(nullptr), L"");
    EXPECT_EQ(WideFromUtf8("Pad \xE2\x80\x94 \xC3\xA9"), L"Pad \u2014 \u00E9");
}

TEST(ControlsProfileKeys, EscapeTabAndFunctionKeysAreReservedAndTheRangeIsClosed) {
    for (int scancode : {1, 40, 42, 57, 70, 511}) EXPECT_TRUE(IsAcceptableKey(scancode)) << scancode;
    for (int scancode : {0, -1, 41, 43, 58, 63, 69, 512}) EXPECT_FALSE(IsAcceptableKey(scancode)) << scancode;
}
