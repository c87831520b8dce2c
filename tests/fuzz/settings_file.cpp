// Any bytes as a settings file: reading never crashes, and after one write
// the file holds only lines that read back as written.
// fuzz-libs: qm_settings
#include "app/settings/RegistrySettings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A folder per input: libFuzzer ends without running exit handlers.
    std::string pattern = (std::filesystem::temp_directory_path() / "qm-fuzz-settings-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    const std::filesystem::path root = pattern;
    qm::CRegistrySettings store(root, "Fuzz");
    std::ofstream(store.filePath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    std::int32_t i = 0;
    std::string s;
    double d = 0;
    store.getInt("a", i);
    store.getString("a", s);
    store.getDouble("a", d);
    store.setInt("written", 7);
    std::int32_t back = 0;
    if (!store.getInt("written", back) || back != 7)
        std::abort();
    // The clean file parses as a whole: writing it again loses nothing.
    std::ifstream first(store.filePath(), std::ios::binary);
    std::string before((std::istreambuf_iterator<char>(first)), {});
    store.setInt("written", 7);
    std::ifstream second(store.filePath(), std::ios::binary);
    std::string after((std::istreambuf_iterator<char>(second)), {});
    if (before != after)
        std::abort();
    std::filesystem::remove_all(root);
    return 0;
}
