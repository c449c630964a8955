#pragma once
// A folder of its own for each test, removed with everything in it when the test ends.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_io.h"

namespace plume::test {

class TempDir {
public:
    TempDir() { std::filesystem::create_directories(m_path); }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    operator const std::filesystem::path&() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }
    std::string string() const { return m_path.string(); }

    // Writes a file into the folder and returns its path.
    std::filesystem::path write(const std::string& name, const platform::Bytes& bytes) const {
        EXPECT_TRUE(platform::writeFileAtomically(m_path / name, bytes)) << name;
        return m_path / name;
    }

private:
    std::filesystem::path m_path =
        std::filesystem::temp_directory_path() /
        ("plume-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
         std::to_string(::getpid()));
};

}  // namespace plume::test
