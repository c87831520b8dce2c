#include "platform/headless/ScriptedDialogs.h"

namespace qm {

Answer escapeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

namespace {

bool offers(Buttons buttons, Answer a)
{
    switch (buttons) {
    case Buttons::Ok: return a == Answer::Ok;
    case Buttons::OkCancel: return a == Answer::Ok || a == Answer::Cancel;
    case Buttons::YesNo: return a == Answer::Yes || a == Answer::No;
    case Buttons::YesNoCancel: return a == Answer::Yes || a == Answer::No || a == Answer::Cancel;
    }
    return false;
}

} // namespace

Answer CScriptedDialogs::next(Buttons buttons)
{
    if (m_onShow)
        m_onShow();
    if (m_answers.empty())
        return escapeAnswer(buttons);
    const Answer a = m_answers.front();
    m_answers.pop_front();
    // A scripted button the box does not have closes it as Escape would.
    return offers(buttons, a) ? a : escapeAnswer(buttons);
}

Answer CScriptedDialogs::messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon)
{
    const Answer a = next(buttons);
    m_shown.push_back({"message", std::string(title), std::string(text), buttons, a});
    return a;
}

Answer CScriptedDialogs::infoDialog(std::string_view name, std::string_view title,
                                    const std::vector<std::string>& lines, Buttons buttons)
{
    std::string text;
    for (const auto& l : lines)
        text += (text.empty() ? "" : "\n") + l;
    const Answer a = next(buttons);
    m_shown.push_back({std::string(name), std::string(title), text, buttons, a});
    return a;
}

int CScriptedDialogs::listDialog(std::string_view name, std::string_view title, std::string_view prompt,
                                 const std::vector<std::string>& items, const std::vector<std::string>& buttons,
                                 int& selected)
{
    if (m_onShow)
        m_onShow();
    int button = -1;
    if (!m_listChoices.empty()) {
        const auto [b, row] = m_listChoices.front();
        m_listChoices.pop_front();
        button = b >= 0 && b < static_cast<int>(buttons.size()) ? b : -1;
        selected = row >= 0 && row < static_cast<int>(items.size()) ? row : -1;
    }
    std::string text(prompt);
    for (const auto& i : items)
        text += "\n" + i;
    m_shown.push_back({std::string(name), std::string(title), text, Buttons::OkCancel,
                       button < 0 ? Answer::Cancel : Answer::Ok});
    return button;
}

bool CScriptedDialogs::show(std::string_view anchor)
{
    m_shown.push_back({"help", "", std::string(anchor), Buttons::Ok, Answer::Ok});
    return true;
}

} // namespace qm
