#include "app/shell/ShellScriptTarget.h"

#include "app/settings/Settings.h"

#include <charconv>
#include <map>
#include <sstream>
#include <variant>

namespace qm {
namespace {

// Settings held in memory, to run a value through the store's reading rules.
class CMemorySettings final : public CSettings {
public:
    bool has(std::string_view name) const { return m_values.count(std::string(name)) != 0; }
    bool getInt(std::string_view name, std::int32_t& out) override { return get(name, out); }
    bool getDouble(std::string_view name, double& out) override { return get(name, out); }
    bool getString(std::string_view name, std::string& out) override { return get(name, out); }
    bool getBinary(std::string_view, void*, std::size_t&) override { return false; }
    void setInt(std::string_view name, std::int32_t v) override { m_values[std::string(name)] = v; }
    void setDouble(std::string_view name, double v) override { m_values[std::string(name)] = v; }
    void setString(std::string_view name, std::string_view v) override { m_values[std::string(name)] = std::string(v); }
    void setBinary(std::string_view, const void*, std::size_t) override {}

private:
    template <class T> bool get(std::string_view name, T& out)
    {
        const auto it = m_values.find(std::string(name));
        if (it == m_values.end() || !std::holds_alternative<T>(it->second))
            return false;
        out = std::get<T>(it->second);
        return true;
    }
    std::map<std::string, std::variant<std::int32_t, double, std::string>> m_values;
};

} // namespace

void CShellScriptTarget::tap(Point p)
{
    beforeInput();
    m_frame.onPointerDown(p);
    m_frame.onPointerUp(p);
    settle();
}

void CShellScriptTarget::drag(Point from, Point to)
{
    beforeInput();
    m_frame.onPointerDown(from);
    for (int i = 1; i <= 4; ++i)
        m_frame.onPointerMove({from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4});
    m_frame.onPointerUp(to);
    settle();
}

void CShellScriptTarget::hold(Point p)
{
    beforeInput();
    m_frame.onHold(p);
    settle();
}

void CShellScriptTarget::key(Key k)
{
    beforeInput();
    m_frame.onKey(k);
    settle();
}

void CShellScriptTarget::command(int id)
{
    beforeInput();
    m_frame.onCommand(id);
    settle();
}

std::string CShellScriptTarget::fen() { return m_frame.app().position.writeFen(); }

std::string positionAsPgn(const std::string& fen)
{
    std::ostringstream o;
    o << "[Event \"?\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n[Round \"?\"]\n[White \"?\"]\n[Black \"?\"]\n"
         "[Result \"*\"]\n";
    if (fen != StartFen)
        o << "[SetUp \"1\"]\n[FEN \"" << fen << "\"]\n";
    o << "\n*";
    return o.str();
}

std::string CShellScriptTarget::pgn() { return m_frame.hooks().gameText(); }

std::string CShellScriptTarget::status()
{
    CAppState& a = m_frame.app();
    std::ostringstream o;
    o << "screen " << a.screen.width << "x" << a.screen.height << ", layout " << a.layoutIndex << ", flipped "
      << int(a.general.flipBoard) << ", analysis " << int(a.analysisMode.load()) << ", replay "
      << int(a.replayRunning.load()) << ", training " << int(a.trainingRunning.load()) << ", engine \""
      << a.engineName << "\"";
    return o.str();
}

std::string CShellScriptTarget::title() { return m_frame.window() ? m_frame.window()->title() : std::string(); }

bool setGeneralSetting(CGeneralSettings& general, const std::string& name, const std::string& value,
                       std::string& error)
{
    CMemorySettings mem;
    saveSettings(mem, general);
    if (!mem.has(name)) {
        error = "no general setting is named \"" + name + "\"";
        return false;
    }
    std::int32_t number = 0;
    std::string text;
    const bool isText = mem.getString(name, text);
    if (isText) {
        mem.setString(name, value);
    } else {
        const auto r = std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || r.ec != std::errc() || r.ptr != value.data() + value.size()) {
            error = name + " wants a number, not \"" + value + "\"";
            return false;
        }
        mem.setInt(name, number);
    }
    loadSettings(mem, general);
    return true;
}

bool CShellScriptTarget::setSetting(const std::string& name, const std::string& value, std::string& error)
{
    CAppState& a = m_frame.app();
    if (!setGeneralSetting(a.general, name, value, error))
        return false;
    if (name == "IDM_SIZE_BOARD") {
        a.layoutIndex = a.general.boardSize;
        m_frame.onSize(m_frame.window() ? m_frame.window()->clientSize() : Size{});
    }
    if (m_frame.window())
        m_frame.window()->invalidateAll(true);
    settle();
    return true;
}

} // namespace qm
