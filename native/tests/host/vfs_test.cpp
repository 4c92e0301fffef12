// Files a core opens through the frontend's VFS interface.
#include "test_support.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace tovarune::testing {
namespace {

TEST(Vfs, ACoreReadsWritesAndListsFilesThroughItsPlayer) {
    FakeCore core;
    Player player;
    TempDir dir;
    retro_vfs_interface_info asked[5] = {
        {0, nullptr}, {1, nullptr}, {2, nullptr}, {3, nullptr}, {4, nullptr}};
    ASSERT_TRUE(as_core(
        "retro_init",
        [&] {
            for (retro_vfs_interface_info &info : asked) {
                const unsigned required = info.required_interface_version;
                EXPECT_EQ(core->environment(RETRO_ENVIRONMENT_GET_VFS_INTERFACE, &info),
                          required <= 3);
                EXPECT_EQ(info.required_interface_version, required <= 3 ? 3u : required);
                EXPECT_EQ(info.iface == nullptr, required > 3);
            }
        },
        [&] { return player.load_core(core.path()); }));
    const retro_vfs_interface &vfs = *asked[1].iface;
    const std::string name = dir.path("j\xC3\xA1/save.bin"), folder = dir.path("j\xC3\xA1"),
                      missing = dir.path("none");
    EXPECT_EQ(vfs.mkdir(folder.c_str()), 0);
    EXPECT_EQ(vfs.mkdir(folder.c_str()), -2);
    EXPECT_EQ(vfs.mkdir(dir.path("none/deeper").c_str()), -1);
    const unsigned write = RETRO_VFS_FILE_ACCESS_WRITE, read = RETRO_VFS_FILE_ACCESS_READ,
                   update =
                       RETRO_VFS_FILE_ACCESS_READ_WRITE | RETRO_VFS_FILE_ACCESS_UPDATE_EXISTING;
    for (const auto &[path, mode] : {std::pair{name.c_str(), 0u},
                                     {nullptr, read},
                                     {folder.c_str(), read},
                                     {missing.c_str(), read}}) {
        EXPECT_EQ(vfs.open(path, mode, 0), nullptr) << mode;
    }

    retro_vfs_file_handle *file = vfs.open(name.c_str(), write, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(vfs.get_path(file), name.c_str());
    EXPECT_EQ(vfs.write(file, "hello world", 11), 11);
    EXPECT_EQ(vfs.tell(file) * 100 + vfs.flush(file), 1100);
    EXPECT_EQ(vfs.close(file), 0);
    auto *made_up = reinterpret_cast<retro_vfs_file_handle *>(&asked);
    char bytes[16] = {};
    for (retro_vfs_file_handle *bad :
         {file, made_up, static_cast<retro_vfs_file_handle *>(nullptr)}) {
        EXPECT_EQ(vfs.read(bad, bytes, 1) + vfs.close(bad) + vfs.size(bad) + vfs.seek(bad, 0, 0) +
                      vfs.tell(bad) + vfs.flush(bad) + vfs.truncate(bad, 0),
                  -7);
        EXPECT_EQ(vfs.get_path(bad), nullptr);
    }

    file = vfs.open(name.c_str(), update, 0); // keeps what is there
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(vfs.size(file), 11);
    EXPECT_EQ(vfs.seek(file, -5, RETRO_VFS_SEEK_POSITION_END), 6);
    EXPECT_EQ(vfs.seek(file, 0, 3) + vfs.read(file, nullptr, 1), -2);
    EXPECT_EQ(vfs.read(file, bytes, ~0ull >> 1), 5);
    EXPECT_STREQ(bytes, "world");
    EXPECT_EQ(vfs.truncate(file, 5) * 10 + vfs.size(file), 5);
    EXPECT_EQ(vfs.close(file), 0);
    std::int32_t size = -1;
    EXPECT_EQ(vfs.stat(name.c_str(), &size), RETRO_VFS_STAT_IS_VALID);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(vfs.stat(folder.c_str(), nullptr),
              RETRO_VFS_STAT_IS_VALID | RETRO_VFS_STAT_IS_DIRECTORY);
    EXPECT_EQ(vfs.stat(missing.c_str(), &size) + vfs.stat(nullptr, &size), 0);

    write_bytes(dir.path("j\xC3\xA1/.hidden"), {1});
    std::filesystem::create_directory(path_of(dir.path("j\xC3\xA1/sub")));
    for (const bool hidden : {false, true}) {
        retro_vfs_dir_handle *listing = vfs.opendir(folder.c_str(), hidden);
        ASSERT_NE(listing, nullptr);
        EXPECT_EQ(vfs.dirent_get_name(listing), nullptr);
        std::set<std::string> entries;
        while (vfs.readdir(listing)) {
            entries.insert(std::string(vfs.dirent_get_name(listing)) +
                           (vfs.dirent_is_dir(listing) ? "/" : ""));
        }
        const std::set<std::string> expected{".hidden", "save.bin", "sub/"};
        EXPECT_EQ(entries.size() + entries.count(".hidden"), hidden ? 4u : 2u);
        EXPECT_TRUE(
            std::includes(expected.begin(), expected.end(), entries.begin(), entries.end()));
        EXPECT_EQ(vfs.closedir(listing) * 10 + vfs.closedir(listing), -1);
    }
    EXPECT_EQ(vfs.opendir(name.c_str(), true), nullptr);

    const std::string moved = dir.path("moved.bin");
    EXPECT_EQ(
        vfs.rename(name.c_str(), moved.c_str()) * 10 + vfs.rename(name.c_str(), moved.c_str()), -1);
    EXPECT_EQ(vfs.remove(moved.c_str()) * 10 + vfs.remove(moved.c_str()), -1);
    EXPECT_EQ(vfs.open(moved.c_str(), read, 0), nullptr);

    // What the core leaves open goes with it.
    file = vfs.open(dir.path("left.bin").c_str(), RETRO_VFS_FILE_ACCESS_READ_WRITE, 0);
    ASSERT_NE(file, nullptr);
    player.unload_core();
    EXPECT_EQ(player.vfs().path(file), nullptr);
    EXPECT_EQ(vfs.open(moved.c_str(), write, 0), nullptr); // the slot reaches nobody now
}

} // namespace
} // namespace tovarune::testing
