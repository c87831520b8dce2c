#include "platform/Dialogs.h"

#include <charconv>

namespace qm {

std::string_view answerName(Answer a)
{
    switch (a) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "Cancel";
}

bool answerFromName(std::string_view name, Answer& out)
{
    for (Answer a : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No})
        if (answerName(a) == name) {
            out = a;
            return true;
        }
    return false;
}

bool dialogAnswerFromText(std::string_view text, DialogAnswer& out)
{
    Answer a;
    if (answerFromName(text, a)) {
        out = DialogAnswer::of(a);
        return true;
    }
    const auto number = [](std::string_view s, int& v) {
        const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= 0;
    };
    int id = 0;
    if (number(text, id)) {
        out = DialogAnswer::ofControl(id);
        return true;
    }
    if (text.substr(0, 3) == "at ") {
        std::string_view rest = text.substr(3);
        const auto space = rest.find(' ');
        int x = 0, y = 0;
        if (space == std::string_view::npos || !number(rest.substr(0, space), x) || !number(rest.substr(space + 1), y))
            return false;
        out = DialogAnswer::ofTap(x, y);
        return true;
    }
    for (const char* item : {"Queen", "Rook", "Bishop", "Knight"})
        if (text == item) {
            out = DialogAnswer::ofItem(std::string(text));
            return true;
        }
    return false;
}

bool FormDialog::choose(int id, std::string_view text)
{
    DialogControl* c = control(id);
    if (!c || (c->kind != DialogControl::Kind::List && c->kind != DialogControl::Kind::DropDown))
        return false;
    for (std::size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i] == text) {
            c->selected = static_cast<int>(i);
            return true;
        }
    return false;
}

} // namespace qm
