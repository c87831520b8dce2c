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
    const DialogAnswer a = m_answers.front();
    m_answers.pop_front();
    // A scripted button the box does not have closes it as Escape would.
    return a.kind == DialogAnswer::Kind::Button && offers(buttons, a.button) ? a.button : escapeAnswer(buttons);
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

int CScriptedDialogs::formDialog(FormDialog& form)
{
    if (m_onShow)
        m_onShow();
    m_forms.push_back(form);
    int result = FormCancel;
    if (!m_answers.empty()) {
        const DialogAnswer a = m_answers.front();
        m_answers.pop_front();
        for (const auto& [id, text] : a.choices)
            form.choose(id, text);
        switch (a.kind) {
        case DialogAnswer::Kind::Button:
            result = a.button == Answer::Ok || a.button == Answer::Yes ? FormOk : FormCancel;
            break;
        case DialogAnswer::Kind::Control:
            // A button of the form ends it, and so does a list whose choice ends
            // it, with an entry chosen; any other id closes it as Escape.
            if (const DialogControl* c = form.control(a.control);
                c && (c->kind == DialogControl::Kind::Button ||
                      (c->kind == DialogControl::Kind::List && form.listChoiceEnds && c->selected >= 0)))
                result = a.control;
            break;
        case DialogAnswer::Kind::Item:
            if (form.listChoiceEnds)
                for (const DialogControl& c : form.controls)
                    if (c.kind == DialogControl::Kind::List && form.choose(c.id, a.item)) {
                        result = c.id;
                        break;
                    }
            break;
        case DialogAnswer::Kind::Tap:
            break;
        }
    }
    std::string text;
    for (const DialogControl& c : form.controls)
        text += (text.empty() ? "" : "\n") + c.label;
    m_shown.push_back({form.name, form.title, text, Buttons::OkCancel, result == FormCancel ? Answer::Cancel : Answer::Ok});
    return result;
}

bool CScriptedDialogs::canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content)
{
    if (m_onShow)
        m_onShow();
    CMemoryCanvas canvas(dialog.clientSize.width, dialog.clientSize.height);
    content.paint(canvas);
    m_canvas = canvas.bitmap();
    m_canvasText = canvas.textRuns();
    m_canvasDialog = dialog;
    bool ended = false;
    while (!ended && !m_answers.empty()) {
        const DialogAnswer a = m_answers.front();
        m_answers.pop_front();
        Point p;
        if (a.kind == DialogAnswer::Kind::Tap)
            ended = content.penUp(a.at);
        else if (a.kind == DialogAnswer::Kind::Item && content.itemPoint(a.item, p))
            ended = content.penUp(p);
        else
            break; // a button, or what the dialog does not have: closed without a choice
    }
    m_shown.push_back({dialog.name, dialog.title, "", Buttons::OkCancel, ended ? Answer::Ok : Answer::Cancel});
    return ended;
}

bool CScriptedDialogs::show(std::string_view anchor)
{
    m_shown.push_back({"help", "", std::string(anchor), Buttons::Ok, Answer::Ok});
    return true;
}

} // namespace qm
