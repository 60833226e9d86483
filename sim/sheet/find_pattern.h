#pragma once

// What Range.Find looks for: the What text read as Excel reads it. `*` stands for any run
// of characters, `?` for one (one UTF-16 unit, as Excel counts characters), and `~` makes
// the next `*`, `?` or `~` an ordinary character (before anything else it is a tilde).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::sim::detail {

/// A compiled Find pattern with its LookAt and MatchCase settings.
class FindPattern {
public:
    FindPattern(std::u16string_view what, bool wholeCell, bool matchCase);

    /// True when no cell can match (an empty What).
    bool MatchesNothing() const noexcept { return m_tokens.empty(); }

    /// The text to look up in the sheet's index: set when the pattern has no wildcard and
    /// must match whole cells, so that a match is a cell holding exactly this text (up to
    /// case when case does not matter).
    std::optional<std::u16string_view> IndexKey() const;

    bool MatchCase() const noexcept { return m_matchCase; }

    /// True when `text` (a non-empty displayed text) matches.
    bool Matches(std::u16string_view text) const;

private:
    enum class Kind : unsigned char { Literal, AnyOne, AnyRun };
    struct Token {
        Kind kind;
        char16_t unit; // for literals: folded unless case matters
    };

    bool MatchTokens(std::u16string_view subject) const;

    std::vector<Token> m_tokens;
    std::u16string m_literal;       // the unescaped text, as given (no wildcards)
    std::u16string m_foldedLiteral; // the same, folded unless case matters
    bool m_wholeCell;
    bool m_matchCase;
    bool m_hasWildcard = false;
    mutable std::u16string m_scratch; // the folded subject, reused between cells
};

} // namespace tarvex::sim::detail
