// Measures the home background painter against two references at three client sizes:
//   floor  - a plain unscaled copy of a bitmap of the client size (BitBlt, and GDI+ DrawImage);
//   naive  - composing the whole picture afresh each paint, as written out below;
// and reports our painter's full rebuild (the composed client picture dropped; the static elements
// drawn for this scale kept), its first paint at a scale never drawn before (nothing cached), its
// rebuild after a scene change (the selected game toggled) and its repaint of an unchanged window.
//
// usage: home_paint_bench [installation-root]   (default: the demo installation of the build)
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/game_table.h"
#include "app/launcher_state.h"
#include "ui/drawing_kit.h"
#include "ui/home_paint.h"
#include "texts/texts.h"
#include "ui_test_support.h"

namespace fs = std::filesystem;
using namespace Gdiplus;

namespace {
double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// Median milliseconds of `runs` calls after one warm-up call.
double Median(int runs, const std::function<void()>& body) {
    body();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        body();
        GdiFlush();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

HWND MakeWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSEXW cls = {};
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"TlvrPaintBench";
        return RegisterClassExW(&cls) != 0;
    }();
    (void)registered;
    // A hidden popup: its client area is exactly the requested size, even beyond the screen.
    return CreateWindowExW(0, L"TlvrPaintBench", L"bench", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void NaiveLabel(Graphics& g, const wchar_t* text, float x, float y, float w, float h, float size,
                ARGB colour, bool bold) {
    DrawLabelText(g, text, RectF(x, y, w, h), size, colour, bold);
}

void NaiveImage(Graphics& g, Image* image, const RectF& place) {
    if (!IsImageUsable(image)) return;
    g.DrawImage(image, place, 0, 0, static_cast<REAL>(image->GetWidth()),
                static_cast<REAL>(image->GetHeight()), UnitPixel);
}

// The baseline: everything composed afresh in a new off-screen bitmap at every paint and copied
// with GDI+, plus the two card images scaled into their card areas.
void NaivePaint(HDC target, int width, int height) {
    Bitmap canvas(width, height, PixelFormat32bppPARGB);
    {
        Graphics g(&canvas);
        g.Clear(Color(kCanvasMargin));
        const CanvasFit fit = FitCanvas(width, height, 1280.0f, 800.0f, 0.3f);
        ApplyCanvasTransform(g, fit);
        g.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
        g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
        SolidBrush band{Color(kPanel)};
        g.FillRectangle(&band, 0.0f, 0.0f, 1280.0f, 118.0f);
        NaiveImage(g, MastheadImage(), RectF(0, 0, 1280, 175));
        const RectF ink = DrawDisplayText(g, L"TALVARO", RectF(44, 36, 800, 70), 69, kTextColour, false, false);
        DrawDisplayText(g, L"OVRA-REMIX RECOMP", RectF(ink.X + ink.Width + 14, ink.Y + ink.Height - 25, 360, 34),
                        34, kAccentColour, true, false);
        SolidBrush rule{Color(kDivider)};
        g.FillRectangle(&rule, 42.0f, 117.0f, 1194.0f, 1.0f);
        NaiveLabel(g, L"CHOOSE YOUR RACE", 42, 148, 890, 65, 49, kTextColour, true);
        NaiveLabel(g, L"Two Corvex classics. Your original games. Pick a car and hit the track.", 44, 208, 870,
                   25, 18, kMutedColour, false);
        NaiveLabel(g, L"SETTINGS", 952, 224, 284, 36, 27, kTextColour, true);
        g.FillRectangle(&rule, 924.0f, 240.0f, 1.0f, 510.0f);
        NaiveLabel(g, Text(kGames[0].blurbKey).c_str(), 44, 687, 840, 58, 19, kTextColour, false);
        NaiveLabel(g, L"Version 0.60 / locally built from your ROM", 44, 761, 840, 22, 14, kMutedColour, false);
        NaiveLabel(g, L"Analog steering, pedals and keys\nare set in Controls.", 952, 609, 284, 48, 15,
                   kMutedColour, false);
        NaiveLabel(g, L"WHAT\u2019S NEW", 952, 398, 284, 26, 20, kTextColour, true);
        NaiveLabel(g,
                   L"Offline achievements (F6) in both games\nGame Over and Retire zoom hand-off\n"
                   L"Continuous zoom, arcade art and sound\nTeam colours and analog steering",
                   952, 430, 300, 100, 15, kMutedColour, false);
        NaiveLabel(g, L"Arrow keys: choose     Enter: play", 42, 128, 1000, 20, 14, kMutedColour, false);
        NaiveLabel(g, L"v0.60 / Windows x64", 1040, 762, 200, 22, 14, kMutedColour, false);
        // The two cards' artwork, as the card painter scales it (406 x 304.5 design units).
        NaiveImage(g, CardImage(0), RectF(42 + 10, 240 + 10, 406, 304.5f));
        NaiveImage(g, CardImage(1), RectF(496 + 10, 240 + 10, 406, 304.5f));
    }
    Graphics window(target);
    window.DrawImage(&canvas, 0, 0);
}

void Measure(int width, int height, int heavyRuns, int lightRuns) {
    HWND home = MakeWindow(width, height);
    // The paint target, and the floor's copy source.
    PixelCanvas target(width, height);
    PixelCanvas source(width, height);
    Bitmap sourceBitmap(width, height, PixelFormat32bppPARGB);
    // Written once, as a real picture is: a never-touched source reads the shared zero page and
    // copies faster than any bitmap with pixels in it could.
    source.Fill(kCanvasMargin);
    {
        Graphics g(&sourceBitmap);
        g.Clear(Color(kCanvasMargin));
    }

    const double floorBlt =
        Median(lightRuns, [&] { BitBlt(target.dc(), 0, 0, width, height, source.dc(), 0, 0, SRCCOPY); });
    const double floorDrawImage = Median(lightRuns, [&] {
        Graphics g(target.dc());
        g.DrawImage(&sourceBitmap, 0, 0);
    });
    const double naive = Median(heavyRuns, [&] { NaivePaint(target.dc(), width, height); });
    const double fullRebuild = Median(heavyRuns, [&] {
        ForgetHomeCanvas(false);
        PaintHomeBackground(home, target.dc());
    });
    const double cold = Median(heavyRuns, [&] {
        ForgetHomeCanvas(true);
        PaintHomeBackground(home, target.dc());
    });
    const double sceneRebuild = Median(heavyRuns, [&] {
        g_launcher.settings.selectedGame = 1 - g_launcher.settings.selectedGame;
        PaintHomeBackground(home, target.dc());
    });
    const double unchanged = Median(lightRuns, [&] { PaintHomeBackground(home, target.dc()); });
    const double floor = std::min(floorBlt, floorDrawImage);

    std::printf("%4dx%-4d  floor BitBlt %7.2f ms  floor DrawImage %7.2f ms  naive %8.2f ms\n", width, height,
                floorBlt, floorDrawImage, naive);
    std::printf("           ours: full rebuild %8.2f ms (%.2f x naive)  scene change %7.2f ms (%.2f x naive)\n",
                fullRebuild, fullRebuild / naive, sceneRebuild, sceneRebuild / naive);
    std::printf("           ours: first paint at a new scale (nothing cached) %8.2f ms (%.2f x naive)\n", cold,
                cold / naive);
    std::printf("           ours: unchanged repaint %6.2f ms (%.2f x the faster floor)\n", unchanged,
                unchanged / floor);
    std::fflush(stdout);
    DestroyWindow(home);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(module).parent_path().parent_path() / L"demo";
    const fs::path art = root / L"assets" / L"launcher";
    std::error_code error;
    if (!fs::exists(art / L"masthead.png", error)) {
        std::fwprintf(stderr, L"no artwork in %ls: build the demo installation or name a root\n", art.c_str());
        return 2;
    }
    CoInitialize(nullptr);
    g_launcher.root = root;
    StartDrawingKit(art, 1.0f);
    std::printf("home background paint, median of repeated runs (masthead %s, game 1 %s)\n",
                MastheadImage() ? "loaded" : "missing", IsGameInstalled(0) ? "installed" : "not installed");
    Measure(1280, 800, 9, 101);
    Measure(1920, 1080, 7, 61);
    Measure(3840, 2160, 5, 31);
    ShutDownDrawingKit();
    return 0;
}
