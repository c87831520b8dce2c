#pragma once
// A small interface over the system's dynamic libraries, so that the engine
// loader can be driven by the real dlopen or by something else in the app.

#include <memory>
#include <string>

namespace qm {

class IDynamicLibrary {
public:
    virtual ~IDynamicLibrary() = default;
    // The address of an exported symbol, or nullptr when it is missing.
    virtual void* symbol(const char* name) = 0;
};

struct LoadFailure {
    int error = 0;      // system error number, never 0 on failure
    std::string detail; // the system's own text
};

class IDynamicLoader {
public:
    virtual ~IDynamicLoader() = default;
    // Loads the library at path; on failure nullptr and the failure filled in.
    virtual std::unique_ptr<IDynamicLibrary> open(const std::string& path, LoadFailure& failure) = 0;
};

// dlopen/dlsym/dlclose. Each library is released when its object is destroyed.
class CSystemLoader final : public IDynamicLoader {
public:
    std::unique_ptr<IDynamicLibrary> open(const std::string& path, LoadFailure& failure) override;
};

} // namespace qm
