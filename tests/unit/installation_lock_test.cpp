// The installation lock's name and its take/attach behaviour, on real named mutexes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "app/installation_lock.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
// A plain SHA-256 (FIPS 180-4), independent of CryptoAPI, to prove the name's digest.
std::string Sha256Hex(const std::string& message) {
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    std::string data = message;
    const uint64_t bits = static_cast<uint64_t>(message.size()) * 8;
    data += static_cast<char>(0x80);
    while (data.size() % 64 != 56) data += '\0';
    for (int i = 7; i >= 0; --i) data += static_cast<char>((bits >> (i * 8)) & 0xff);
    for (size_t chunk = 0; chunk < data.size(); chunk += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(data.data() + chunk + i * 4);
            w[i] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        }
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }
    std::string hex;
    char part[9];
    for (uint32_t v : h) {
        snprintf(part, sizeof(part), "%08x", v);
        hex += part;
    }
    return hex;
}

std::string Utf16LeBytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xff);
        bytes += static_cast<char>((unit >> 8) & 0xff);
    }
    return bytes;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
}  // namespace

TEST(LockName, IndependentSha256MatchesKnownVectors) {
    // Guards the reference implementation itself.
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(LockName, IsThePrefixAndTheDigestOfTheLowerCasedUtf16Root) {
    const fs::path root = L"C:\\Games\\Talvaro Ovra";
    const LockNameResult name = InstallationLockName(root);
    ASSERT_TRUE(name.contextAcquired);
    const std::wstring expected =
        L"Local\\TalvaroOvra_" + Widen(Sha256Hex(Utf16LeBytes(L"c:\\games\\talvaro ovra")));
    EXPECT_EQ(name.name, expected);
    EXPECT_EQ(name.name.size(), 18u + 64u);
}

TEST(LockName, SpellingsOfTheSameFolderShareOneName) {
    const std::wstring base = InstallationLockName(L"C:\\Games\\Pkg").name;
    EXPECT_EQ(InstallationLockName(L"c:\\GAMES\\pkg").name, base);
    EXPECT_EQ(InstallationLockName(L"C:/Games/Pkg").name, base);
    EXPECT_EQ(InstallationLockName(L"C:\\Games\\.\\Pkg").name, base);
    EXPECT_EQ(InstallationLockName(L"C:\\Games\\Other\\..\\Pkg").name, base);
    EXPECT_EQ(InstallationLockName(L"C:\\Games\\\\Pkg").name, base);
}

TEST(LockName, TrailingSeparatorAndOtherFoldersGiveOtherNames) {
    const std::wstring base = InstallationLockName(L"C:\\Games\\Pkg").name;
    EXPECT_NE(InstallationLockName(L"C:\\Games\\Pkg\\").name, base);
    EXPECT_NE(InstallationLockName(L"C:\\Games\\Pkg2").name, base);
}

TEST(LockName, NonAsciiUnitsAreHashedAsTheyAreUnlessTheCLocaleLowersThem) {
    const fs::path root = L"C:\\Spiele\\\u00C4rger \u0416";
    const std::wstring identity = LockIdentityText(root);
    // towlower in the "C" locale: ASCII letters change; whatever it does with the others is what
    // the digest must cover, unit by unit.
    std::wstring expectedIdentity = root.wstring();
    for (wchar_t& unit : expectedIdentity) unit = static_cast<wchar_t>(towlower(unit));
    EXPECT_EQ(identity, expectedIdentity);
    EXPECT_EQ(identity.substr(0, 10), L"c:\\spiele\\");
    EXPECT_EQ(InstallationLockName(root).name,
              L"Local\\TalvaroOvra_" + Widen(Sha256Hex(Utf16LeBytes(identity))));
}

TEST(LockName, RelativeRootIsMadeAbsoluteAgainstTheCurrentFolder) {
    TempFolder temp;
    const fs::path previous = fs::current_path();
    fs::current_path(temp.path());
    const std::wstring relative = InstallationLockName(L"pkg").name;
    const std::wstring absolute = InstallationLockName(temp.path() / L"pkg").name;
    fs::current_path(previous);
    EXPECT_EQ(relative, absolute);
}

TEST(InstallationLock, SecondTakeIsRefusedUntilTheFirstIsReleased) {
    TempFolder temp;
    HANDLE first = OpenInstallationLock(temp.path(), true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OpenInstallationLock(temp.path(), true), nullptr);
    // Another spelling of the same folder is refused too.
    const fs::path detour = temp.path().parent_path() / L"elsewhere" / L".." / temp.path().filename();
    EXPECT_EQ(OpenInstallationLock(detour, true), nullptr);
    ReleaseInstallationLock(first);
    EXPECT_EQ(first, nullptr);
    HANDLE again = OpenInstallationLock(temp.path(), true);
    EXPECT_NE(again, nullptr);
    ReleaseInstallationLock(again);
}

TEST(InstallationLock, AttachedButWaitingLockStillRefusesATake) {
    TempFolder temp;
    HANDLE attached = OpenInstallationLock(temp.path(), false);
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(OpenInstallationLock(temp.path(), true), nullptr);
    EXPECT_TRUE(TryAcquireInstallationLock(attached));
    ReleaseInstallationLock(attached);
}

TEST(InstallationLock, AttachCannotAcquireWhileAnotherThreadOwnsIt) {
    TempFolder temp;
    HANDLE owner = OpenInstallationLock(temp.path(), true);
    ASSERT_NE(owner, nullptr);
    HANDLE attached = OpenInstallationLock(temp.path(), false);
    ASSERT_NE(attached, nullptr);
    // A mutex is re-entrant for its owning thread, so ask from another thread.
    struct Probe {
        HANDLE lock;
        bool acquired;
    } probe{attached, true};
    HANDLE thread = CreateThread(nullptr, 0, [](void* p) -> DWORD {
        auto* probe = static_cast<Probe*>(p);
        probe->acquired = TryAcquireInstallationLock(probe->lock);
        return 0;
    }, &probe, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_FALSE(probe.acquired);
    ReleaseInstallationLock(attached);
    ReleaseInstallationLock(owner);
}

TEST(InstallationLock, ReleasingAnUnownedOrMissingHandleIsHarmless) {
    HANDLE none = nullptr;
    ReleaseInstallationLock(none);
    EXPECT_EQ(none, nullptr);
    TempFolder temp;
    HANDLE attached = OpenInstallationLock(temp.path(), false);
    ASSERT_NE(attached, nullptr);
    ReleaseInstallationLock(attached);  // never acquired
    EXPECT_EQ(attached, nullptr);
}
