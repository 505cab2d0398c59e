#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace moravel::reference {

// A slow, plain wildcard matcher to check the real one against: it reads the mask as written,
// tries every split of the name (dynamic programming over all stars, not only the latest one)
// and gives nothing for a malformed mask. Characters are code points.

struct Token {
    enum Kind { Star, Any, Set, Literal };
    explicit Token(Kind k, char32_t c = 0) : kind(k), ch(c) {}
    Kind kind;
    char32_t ch = 0;
    bool negate = false;
    std::vector<bool> members; // 256 entries for a set
};

inline char32_t upper(char32_t c) {
    return (c >= U'a' && c <= U'z') ? c - 32 : c;
}

inline std::u32string codePoints(const QString& s) {
    std::u32string out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += QChar::surrogateToUcs4(c, s[i + 1].unicode());
            ++i;
        } else {
            out += char32_t(c);
        }
    }
    return out;
}

// The mask as tokens; nothing when it is malformed.
inline std::optional<std::vector<Token>> tokens(const QString& maskText) {
    const std::u32string mask = codePoints(maskText);
    std::vector<Token> out;
    int stars = 0;
    bool afterStar = false; // only stars and dropped "?" since the last star
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char32_t c = mask[i];
        if (c == U'*') {
            if (!afterStar) {
                out.emplace_back(Token::Star);
                ++stars;
            }
            afterStar = true;
            continue;
        }
        if (c == U'?') {
            if (!afterStar) {
                out.emplace_back(Token::Any);
            }
            continue;
        }
        afterStar = false;
        if (c != U'[') {
            out.emplace_back(Token::Literal, upper(c));
            continue;
        }
        Token set(Token::Set);
        set.members.assign(256, false);
        ++i;
        if (i < mask.size() && mask[i] == U'!') {
            set.negate = true;
            ++i;
        }
        const std::size_t first = i;
        bool any = false;
        for (;; ++i) {
            if (i >= mask.size()) {
                return std::nullopt;
            }
            if (mask[i] == U']') {
                break;
            }
            if (mask[i] == U'-') {
                if (i == first || i + 1 >= mask.size()) {
                    return std::nullopt;
                }
                const char32_t from = upper(mask[i - 1]);
                const char32_t to = upper(mask[i + 1]);
                for (char32_t m = from; m <= to && m < 256; ++m) {
                    set.members[m] = true;
                    any = true;
                }
                ++i;
            } else if (upper(mask[i]) < 256) {
                set.members[upper(mask[i])] = true;
                any = true;
            }
        }
        if (!any) {
            return std::nullopt;
        }
        out.push_back(set);
    }
    if (stars > 30) {
        return std::nullopt;
    }
    return out;
}

inline bool tokenMatches(const Token& t, char32_t c) {
    c = upper(c);
    switch (t.kind) {
    case Token::Any:
        return true;
    case Token::Literal:
        return t.ch == c;
    case Token::Set:
        return (c < 256 && t.members[c]) != t.negate;
    case Token::Star:
        break;
    }
    return false;
}

// Whether the name matches; nothing for a malformed mask.
inline std::optional<bool> matches(const QString& nameText, const QString& maskText) {
    const auto ts = tokens(maskText);
    if (!ts) {
        return std::nullopt;
    }
    const std::u32string name = codePoints(nameText);
    const std::size_t n = name.size();
    const std::size_t m = ts->size();
    // can[t][i]: tokens from t on match the name from i on.
    std::vector<std::vector<bool>> can(m + 1, std::vector<bool>(n + 1, false));
    can[m][n] = true;
    for (std::size_t t = m; t-- > 0;) {
        for (std::size_t i = n + 1; i-- > 0;) {
            const Token& token = (*ts)[t];
            if (token.kind == Token::Star) {
                can[t][i] = can[t + 1][i] || (i < n && can[t][i + 1]);
            } else {
                can[t][i] = i < n && tokenMatches(token, name[i]) && can[t + 1][i + 1];
            }
        }
    }
    return can[0][0];
}

} // namespace moravel::reference
