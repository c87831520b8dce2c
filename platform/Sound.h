#pragma once
// Sound output: move clips played asynchronously, announcement words synchronously.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class ISoundSink {
public:
    virtual ~ISoundSink() = default;
    // A wave resource by name ("MOVE1".."MOVE8"); returns at once.
    virtual void playClip(std::string_view name) = 0;
    // A wave file, returning when it has played; false when it cannot be played.
    virtual bool playFileSync(const std::filesystem::path& file) = 0;
    // The desktop's default alert sound.
    virtual void playDefault() = 0;
};

// Records what would have been played.
class CRecordingSoundSink final : public ISoundSink {
public:
    void playClip(std::string_view name) override { m_played.push_back("clip:" + std::string(name)); }
    bool playFileSync(const std::filesystem::path& file) override
    {
        m_played.push_back("file:" + file.string());
        return std::filesystem::exists(file);
    }
    void playDefault() override { m_played.push_back("default"); }
    const std::vector<std::string>& played() const { return m_played; }

private:
    std::vector<std::string> m_played;
};

} // namespace qm
