// Every test binary: settings go to a fresh temporary folder, Qt (where linked) runs offscreen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const auto dir = std::filesystem::temp_directory_path() / ("plume-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("PLUME_CONFIG_DIR", dir.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(dir);
    return result;
}
