#include "game/GameCompare.h"

#include <utility>
#include <vector>

namespace qm {

std::string collapseBlanks(std::string_view text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

bool sameTree(const CGame& a, const CGame& b, std::string* why)
{
    auto differ = [&](const CGameNode& n, const char* what) {
        if (why)
            *why = std::string(what) + " differs at ply " + std::to_string(n.ply) + " (" + n.san + ")";
        return false;
    };
    if (!a.root() || !b.root())
        return (!a.root() && !b.root()) || (why && (*why = "one game has no root", false));
    std::vector<std::pair<const CGameNode*, const CGameNode*>> stack{{a.root(), b.root()}};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        if (x->move != y->move)
            return differ(*x, "move");
        if (x->ply != y->ply)
            return differ(*x, "ply");
        if (x->nag != y->nag)
            return differ(*x, "NAG");
        if (x->parent && collapseBlanks(x->comment) != collapseBlanks(y->comment))
            return differ(*x, "comment");
        if (x->children.size() != y->children.size())
            return differ(*x, "number of continuations");
        for (std::size_t i = 0; i < x->children.size(); ++i)
            stack.emplace_back(x->children[i].get(), y->children[i].get());
    }
    return true;
}

} // namespace qm
