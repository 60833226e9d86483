#include "sim/sheet/find_pattern.h"

#include "base/case_folding.h"

namespace tarvex::sim::detail {

using base::FoldedEqual;
using base::FoldedHash;
using base::FoldInPlace;

FindPattern::FindPattern(std::u16string_view what, bool wholeCell, bool matchCase)
    : m_wholeCell(wholeCell)
    , m_matchCase(matchCase) {
    for (std::size_t i = 0; i < what.size(); ++i) {
        const char16_t unit = what[i];
        if (unit == u'~' && i + 1 < what.size() &&
            (what[i + 1] == u'*' || what[i + 1] == u'?' || what[i + 1] == u'~')) {
            m_literal += what[++i];
            m_tokens.push_back({Kind::Literal, what[i]});
        } else if (unit == u'*') {
            m_hasWildcard = true;
            m_tokens.push_back({Kind::AnyRun, 0});
        } else if (unit == u'?') {
            m_hasWildcard = true;
            m_tokens.push_back({Kind::AnyOne, 0});
        } else {
            m_literal += unit;
            m_tokens.push_back({Kind::Literal, unit});
        }
    }
    m_foldedLiteral = m_literal;
    if (!m_matchCase) {
        FoldInPlace(m_foldedLiteral);
        // Fold the literal tokens the same way: folding keeps UTF-16 positions, so the
        // n-th literal unit of the folded text belongs to the n-th literal token.
        std::size_t next = 0;
        for (Token& token : m_tokens) {
            if (token.kind == Kind::Literal)
                token.unit = m_foldedLiteral[next++];
        }
    }
}

std::optional<std::u16string_view> FindPattern::IndexKey() const {
    if (m_hasWildcard || !m_wholeCell || m_tokens.empty())
        return std::nullopt;
    return std::u16string_view(m_literal);
}

bool FindPattern::Matches(std::u16string_view text) const {
    if (m_tokens.empty())
        return false;
    std::u16string_view subject = text;
    if (!m_matchCase) {
        m_scratch.assign(text);
        FoldInPlace(m_scratch);
        subject = m_scratch;
    }
    if (!m_hasWildcard) {
        if (m_wholeCell)
            return subject == m_foldedLiteral;
        return subject.find(m_foldedLiteral) != std::u16string_view::npos;
    }
    return MatchTokens(subject);
}

// Wildcard matching with one remembered `*`: on a mismatch the last `*` takes one more
// unit and matching resumes after it. Part matching behaves as if the pattern were
// wrapped in `*`.
bool FindPattern::MatchTokens(std::u16string_view subject) const {
    const std::size_t count = m_tokens.size();
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starToken = count; // none yet
    std::size_t starSubject = 0;
    const bool leadingRun = !m_wholeCell;
    if (leadingRun) {
        starToken = SIZE_MAX; // a virtual `*` before the first token
        starSubject = 0;
    }
    while (s < subject.size()) {
        if (p < count && (m_tokens[p].kind == Kind::AnyOne ||
                          (m_tokens[p].kind == Kind::Literal && m_tokens[p].unit == subject[s]))) {
            ++p;
            ++s;
        } else if (p < count && m_tokens[p].kind == Kind::AnyRun) {
            starToken = p++;
            starSubject = s;
        } else if (p == count && !m_wholeCell) {
            return true; // the trailing virtual `*` takes the rest
        } else if (starToken != count) {
            p = starToken == SIZE_MAX ? 0 : starToken + 1;
            s = ++starSubject;
        } else {
            return false;
        }
    }
    while (p < count && m_tokens[p].kind == Kind::AnyRun)
        ++p;
    return p == count;
}

} // namespace tarvex::sim::detail
