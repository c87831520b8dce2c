#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qm::test {

class CTempDir {
public:
    explicit CTempDir(const std::string& prefix = "qm-test")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
    }
    ~CTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace qm::test
