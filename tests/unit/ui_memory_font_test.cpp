// The update-apply run's font, loaded from memory: usable while its file is replaced.
#include <gtest/gtest.h>

#include <windows.h>

#include "temp_folder.h"
#include "ui/memory_font.h"
#include "ui_test_support.h"

namespace fs = std::filesystem;

TEST(MemoryFont, FacesStayUsableWhileTheirFileIsReplacedAndAMissingFileGivesNone) {
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    TempFolder folder(L"tlvr-memory-font");
    const fs::path file = folder.path() / L"Barlow-Regular.ttf";
    fs::copy_file(art / L"Barlow-Regular.ttf", file);
    EXPECT_FALSE(LoadFontIntoMemory(folder.path() / L"missing.ttf").valid());
    WriteFileBytes(folder.path() / L"not-a-font.ttf", "plain text");
    EXPECT_FALSE(LoadFontIntoMemory(folder.path() / L"not-a-font.ttf").valid());

    const ScopedMemoryFont font = LoadFontIntoMemory(file);
    ASSERT_TRUE(font.valid());
    // What an update does to the file: replaced by a new one while the run holds the font.
    WriteFileBytes(folder.path() / L"new.ttf", "the next release's font");
    EXPECT_TRUE(MoveFileExW((folder.path() / L"new.ttf").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "the loaded font's file could not be replaced: " << GetLastError();

    LOGFONTW face = {};
    face.lfHeight = -16;
    wcscpy_s(face.lfFaceName, L"Barlow");
    const ScopedFont made(CreateFontIndirectW(&face));
    const ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    const ScopedSelectObject selected(dc.get(), made.get());
    wchar_t name[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, name);
    EXPECT_STREQ(name, L"Barlow") << "the face from memory is not there";
    GLYPHMETRICS metrics = {};
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    EXPECT_NE(GetGlyphOutlineW(dc.get(), L'B', GGO_METRICS, &metrics, 0, nullptr, &identity), GDI_ERROR)
        << "the face's glyphs cannot be read once its file is gone";
}
