#include "engine/maskmatcher.h"

#include "engine/texts.h"

#include <QVarLengthArray>

#include <array>
#include <cstdint>

namespace moravel {

InvalidMask::InvalidMask(const QString& mask, int position)
    : m_text(texts::invalidMask(mask, position)), m_utf8(m_text.toUtf8()) {}

namespace {

// A mask may hold no more stars than this (after merging adjacent ones); more is an error.
constexpr int maxStars = 30;
// Set members are characters up to this one; anything above is never in a set.
constexpr char32_t lastSetMember = 0xFF;

// Only the letters a to z compare without regard to case; every other character is exact.
constexpr char32_t fold(char32_t c) {
    return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c;
}

// Reads one character (a code point) at `i` and steps past it; a surrogate pair is one
// character, a lone surrogate counts as a character of its own.
inline char32_t readChar(QStringView s, qsizetype& i) {
    const char16_t c = s[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(c) && i < s.size() && QChar::isLowSurrogate(s[i].unicode())) {
        return QChar::surrogateToUcs4(c, s[i++].unicode());
    }
    return c;
}

class CharSet {
public:
    void add(char32_t c) {
        if (c <= lastSetMember) {
            m_bits[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }
    void addRange(char32_t first, char32_t last) {
        if (last > lastSetMember) {
            last = lastSetMember;
        }
        for (char32_t c = first; c <= last; ++c) {
            add(c);
        }
    }
    bool isEmpty() const { return (m_bits[0] | m_bits[1] | m_bits[2] | m_bits[3]) == 0; }
    bool contains(char32_t c) const {
        return c <= lastSetMember && (m_bits[c >> 6] >> (c & 63) & 1) != 0;
    }
    bool negate = false;

private:
    std::array<std::uint64_t, 4> m_bits{};
};

enum class Kind : std::uint8_t { Literal, Any, Set, End };

// One step of a compiled mask: a literal, "?", a set or the end of the name. `skip` says that a
// star stands before it, so that any run of characters may come first.
struct Element {
    char32_t ch = 0; // the folded literal, or the index of the set
    Kind kind = Kind::End;
    bool skip = false;
};

// Masks are short; these hold a typical one without touching the heap.
using Elements = QVarLengthArray<Element, 32>;
using Sets = QVarLengthArray<CharSet, 2>;

// Reads a mask once, left to right, into elements that end with Kind::End.
class Compiler {
public:
    explicit Compiler(const QString& mask) : m_mask(mask), m_view(mask) {}

    void compile(Elements& elements, Sets& sets) {
        bool star = false;
        while (!atEnd()) {
            const char32_t c = peek();
            if (c == u'*') {
                star = true; // adjacent stars are one
            } else if (c == u'?') {
                // A "?" right after a star is dropped: it asks for nothing the star would not give.
                if (!star) {
                    elements.append({0, Kind::Any, false});
                }
            } else if (c == u'[') {
                sets.append(readSet());
                push(elements, {static_cast<char32_t>(sets.size() - 1), Kind::Set, star});
                star = false;
            } else {
                push(elements, {fold(c), Kind::Literal, star});
                star = false;
            }
            advance();
        }
        push(elements, {0, Kind::End, star});
    }

private:
    // Adds an element; one that carries a star counts towards the limit.
    void push(Elements& elements, const Element& element) {
        if (element.skip && ++m_stars > maxStars) {
            fail();
        }
        elements.append(element);
    }

    // Reads a set from its "[" and stops on the closing "]".
    CharSet readSet() {
        CharSet set;
        advance(); // past "["
        if (!atEnd() && peek() == u'!') {
            set.negate = true;
            advance();
        }
        bool havePrevious = false;
        char32_t previous = 0;
        for (;;) {
            if (atEnd()) {
                fail(); // not closed by "]"
            }
            const char32_t c = peek();
            if (c == u']') {
                break;
            }
            if (c == u'-') {
                if (!havePrevious) {
                    fail(); // a range without its first character
                }
                advance();
                if (atEnd()) {
                    fail();
                }
                const char32_t last = fold(peek());
                set.addRange(previous, last);
                previous = last;
            } else {
                previous = fold(c);
                havePrevious = true;
                set.add(previous);
            }
            advance();
        }
        if (set.isEmpty()) {
            fail();
        }
        return set;
    }

    bool atEnd() const { return m_i >= m_view.size(); }
    char32_t peek() const {
        qsizetype i = m_i;
        return readChar(m_view, i);
    }
    void advance() {
        readChar(m_view, m_i);
        ++m_position;
    }

    // The error points at the character where reading stopped, counted from 1; at the end of
    // the mask that is one past its last character.
    [[noreturn]] void fail() const { throw InvalidMask(m_mask, static_cast<int>(m_position + 1)); }

    const QString& m_mask;
    QStringView m_view;
    qsizetype m_i = 0;        // UTF-16 index of the character being read
    qsizetype m_position = 0; // the same, counted in characters
    int m_stars = 0;
};

inline bool elementMatches(const Element& element, char32_t c, const Sets& sets) {
    switch (element.kind) {
    case Kind::Literal:
        return fold(c) == element.ch;
    case Kind::Any:
        return true;
    case Kind::Set: {
        const CharSet& set = sets[static_cast<qsizetype>(element.ch)];
        return set.contains(fold(c)) != set.negate;
    }
    case Kind::End:
        break;
    }
    return false;
}

// After the last star comes a run of single-character elements and the end, so it can only
// match the last characters of the name: one comparison instead of a search.
bool matchesTail(const Element* tail, const Sets& sets, QStringView name, qsizetype from) {
    qsizetype length = 0;
    while (tail[length].kind != Kind::End) {
        ++length;
    }
    qsizetype start = name.size();
    for (qsizetype k = 0; k < length; ++k) {
        if (start <= from) {
            return false;
        }
        --start;
        if (start > from && name[start].isLowSurrogate() && name[start - 1].isHighSurrogate()) {
            --start;
        }
    }
    for (qsizetype i = start; tail->kind != Kind::End; ++tail) {
        if (!elementMatches(*tail, readChar(name, i), sets)) {
            return false;
        }
    }
    return true;
}

// Wildcard matching that, when an element fails, returns only to the latest star and lets it
// swallow one more character. Single-character elements make that enough (an earlier star
// never needs to give back), and it keeps the work within name length times mask length.
bool run(const Elements& elements, const Sets& sets, QStringView name) {
    const qsizetype size = name.size();
    qsizetype lastStar = -1;
    for (qsizetype e = 0; e < elements.size(); ++e) {
        if (elements[e].skip) {
            lastStar = e;
        }
    }
    qsizetype e = 0;
    qsizetype i = 0;
    qsizetype starElement = -1;
    qsizetype starFrom = 0;
    for (;;) {
        const Element& element = elements[e];
        if (element.skip) {
            if (element.kind == Kind::End) {
                return true;
            }
            if (e == lastStar) {
                return matchesTail(elements.constData() + e, sets, name, i);
            }
            // A literal that is not a letter or surrogate can be searched for directly.
            if (element.kind == Kind::Literal && element.ch < 0x10000 &&
                !(element.ch >= u'A' && element.ch <= u'Z') && !QChar::isSurrogate(element.ch)) {
                i = name.indexOf(QChar(static_cast<char16_t>(element.ch)), i);
                if (i < 0) {
                    return false;
                }
            }
            starElement = e;
            starFrom = i;
        }
        if (element.kind == Kind::End) {
            if (i == size) {
                return true;
            }
        } else if (i < size) {
            qsizetype next = i;
            if (elementMatches(element, readChar(name, next), sets)) {
                i = next;
                ++e;
                continue;
            }
        }
        if (starElement < 0 || starFrom >= size) {
            return false;
        }
        readChar(name, starFrom);
        i = starFrom;
        e = starElement;
    }
}

} // namespace

bool matchesMask(const QString& name, const QString& mask) {
    Elements elements;
    Sets sets;
    Compiler(mask).compile(elements, sets);
    return run(elements, sets, name);
}

} // namespace moravel
