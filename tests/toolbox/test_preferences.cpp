// The preferences file. (That a file is read only when it is exactly what
// we would write is the fuzzer's property, tests/fuzz/fuzz_preferences.cpp.)
#include "tests/support/temp_config_home.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::string_view kApp = "org.example.kestrix-test";

Bytes ReadRaw(const fs::path& path) {
    Bytes bytes;
    EXPECT_EQ(ReadWholeFile(path, 1u << 30, &bytes), noErr) << path;
    return bytes;
}

} // namespace

TEST(Preferences, KeysRoundTripBesideEachOtherInTheConfigFolder) {
    TempConfigHome home;
    EXPECT_EQ(PreferencesFilePath(kApp), home.path / kApp / "preferences");
    EXPECT_FALSE(CopyPreferencesValue("a", kApp));
    EXPECT_FALSE(fs::exists(home.path / kApp)); // reading creates nothing

    ASSERT_EQ(SetPreferencesValue("com.x.settings", Bytes{1, 2, 3}, kApp), noErr);
    ASSERT_EQ(SetPreferencesValue("com.x.prefs", Bytes{}, kApp), noErr);
    ASSERT_EQ(SetPreferencesValue("com.x.settings", Bytes{4}, kApp), noErr);
    EXPECT_EQ(CopyPreferencesValue("com.x.settings", kApp), Bytes{4});
    EXPECT_EQ(CopyPreferencesValue("com.x.prefs", kApp), Bytes{});
    EXPECT_FALSE(CopyPreferencesValue("com.x", kApp));
    EXPECT_FALSE(CopyPreferencesValue("com.x.settings", "org.example.other"));

    EXPECT_EQ(std::distance(fs::directory_iterator(home.path / kApp), {}), 1); // no temporary left
    EXPECT_EQ(fs::status(home.path / kApp).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(PreferencesFilePath(kApp)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);

    // Without an absolute XDG_CONFIG_HOME, the folder is in ~/.config.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/someone", 1);
    for (const char* xdg : {"", "relative/config", static_cast<const char*>(nullptr)}) {
        xdg ? ::setenv("XDG_CONFIG_HOME", xdg, 1) : ::unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(PreferencesFilePath(kApp),
                  fs::path("/home/someone/.config") / kApp / "preferences")
            << (xdg ? xdg : "unset");
    }
    ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(Preferences, DamagedFilesReadAsEmptyAndStayUntilTheNextSave) {
    TempConfigHome home;
    ASSERT_EQ(SetPreferencesValue("k", Bytes{7, 7}, kApp), noErr);
    const fs::path file = PreferencesFilePath(kApp);
    const Bytes good = ReadRaw(file);

    // A folder where the file should be, and a named pipe that nobody
    // writes to (which must not block).
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_FALSE(CopyPreferencesValue("k", kApp));
    EXPECT_EQ(PreferencesWriteTrouble(kApp), file.string() + " is not a file");
    EXPECT_FALSE(SetAsideDamagedPreferences(kApp)); // a folder is no damaged file
    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(CopyPreferencesValue("k", kApp));

    auto flipped = [&](std::size_t at) {
        Bytes b = good;
        b[at] ^= 0x01;
        return b;
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"empty file", {}},
        {"truncated", Bytes(good.begin(), good.end() - 1)},
        {"a value byte flipped", flipped(good.size() - 6)},
        {"checksum flipped", flipped(good.size() - 1)},
        {"foreign file", Bytes{'[', 'G', 'e', 'n', 'e', 'r', 'a', 'l', ']', '\n', 'k', '=', '1'}},
        {"larger than any of ours", Bytes(kMaxPreferencesFileSize + 1, 0)},
    };
    for (const auto& [name, bytes] : cases) {
        ASSERT_EQ(WriteFileAtomically(file, bytes, 0600), noErr) << name;
        EXPECT_FALSE(CopyPreferencesValue("k", kApp)) << name;
        EXPECT_TRUE(ReadPreferences(kApp).empty()) << name;
        EXPECT_EQ(ReadRaw(file), bytes) << name << ": reading must not rewrite the file";
    }

    // The next save replaces the damaged file (the last above) with an
    // intact one, and keeps the damaged one aside, in place of an older one.
    const fs::path kept = file.parent_path() / kDamagedPreferencesName;
    ASSERT_EQ(SetPreferencesValue("j", Bytes{1}, kApp), noErr);
    EXPECT_EQ(CopyPreferencesValue("j", kApp), Bytes{1});
    EXPECT_FALSE(CopyPreferencesValue("k", kApp));
    EXPECT_EQ(fs::file_size(kept), kMaxPreferencesFileSize + 1);
    ASSERT_EQ(WriteFileAtomically(file, flipped(good.size() - 6), 0600), noErr);
    ASSERT_EQ(SetPreferencesValue("j", Bytes{2}, kApp), noErr);
    EXPECT_EQ(ReadRaw(kept), flipped(good.size() - 6));
    EXPECT_FALSE(SetAsideDamagedPreferences(kApp)); // an intact file stays
    EXPECT_EQ(PreferencesWriteTrouble(kApp), "");
}

TEST(Preferences, FailedSavesLeaveTheOldFileAndNoTemporary) {
    TempConfigHome home;
    ASSERT_EQ(SetPreferencesValue("k", Bytes{1}, kApp), noErr);
    const fs::path file = PreferencesFilePath(kApp);
    const Bytes before = ReadRaw(file);

    // The disk fills up while writing: a file size limit stands in for it,
    // since root may write into any folder.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    OSStatus status = SetPreferencesValue("k", Bytes(10000, 2), kApp);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(status, ioErr);
    EXPECT_EQ(ReadRaw(file), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);

    // The configuration folder is a file: nothing can be written.
    TempConfigHome blocked;
    const fs::path notAFolder = blocked.path / "not-a-folder";
    ASSERT_EQ(WriteFileAtomically(notAFolder, Bytes{'x'}, 0600), noErr);
    ::setenv("XDG_CONFIG_HOME", notAFolder.c_str(), 1);
    EXPECT_EQ(SetPreferencesValue("k", Bytes{1}, kApp), ioErr);
    EXPECT_EQ(PreferencesWriteTrouble(kApp), notAFolder.string() + " is not a folder");
    EXPECT_EQ(ReadRaw(notAFolder), Bytes{'x'});
    EXPECT_EQ(std::distance(fs::directory_iterator(blocked.path), {}), 1);
}
