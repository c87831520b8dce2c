#include "engine/DynamicLibrary.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace qm {

namespace {

class CSystemLibrary final : public IDynamicLibrary {
public:
    explicit CSystemLibrary(void* handle) : m_handle(handle) {}
    ~CSystemLibrary() override { dlclose(m_handle); }
    CSystemLibrary(const CSystemLibrary&) = delete;
    CSystemLibrary& operator=(const CSystemLibrary&) = delete;

    void* symbol(const char* name) override { return dlsym(m_handle, name); }

private:
    void* m_handle;
};

} // namespace

std::unique_ptr<IDynamicLibrary> CSystemLoader::open(const std::string& path, LoadFailure& failure)
{
    // dlopen does not report an error number; a missing or unreadable file
    // is told apart first, anything else (not an ELF object, wrong
    // architecture, unresolved symbols) counts as "exec format error".
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        failure.error = errno ? errno : ENOENT;
        failure.detail = "cannot open " + path;
        return nullptr;
    }
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        failure.error = ENOEXEC;
        failure.detail = text ? text : "dlopen failed";
        return nullptr;
    }
    return std::make_unique<CSystemLibrary>(handle);
}

} // namespace qm
