#include "platform/Dialogs.h"

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

} // namespace qm
