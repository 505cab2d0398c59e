#include "engine/maskmatcher.h"

#include "engine/asciicase.h"
#include "engine/texts.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace moravel {

namespace {

// A mask may hold no more stars than this (after merging adjacent ones); more is an error.
constexpr int maxStars = 30;

QString invalidMaskText(const QString& mask, int position, bool tooManyStars) {
    return texts::invalidMask(mask, position) +
           (tooManyStars ? texts::tooManyStars(maxStars) : QString());
}

} // namespace

InvalidMask::InvalidMask(const QString& mask, int position, bool tooManyStars)
    : m_position(position), m_tooManyStars(tooManyStars),
      m_text(invalidMaskText(mask, position, tooManyStars)), m_utf8(m_text.toUtf8()) {}

QString InvalidMask::textForTyped(const QString& typed, int added) const {
    const int position = std::clamp(m_position - added, 1, static_cast<int>(typed.size()) + 1);
    return invalidMaskText(typed, position, m_tooManyStars);
}

namespace {
// Set members are characters up to this one; anything above is never in a set.
constexpr char32_t lastSetMember = 0xFF;

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
using Elements = QVarLengthArray<Element, 16>;
using Sets = QVarLengthArray<CharSet, 1>;

// A run of single-character elements: the first stands before any star, each other one
// follows a star.
struct Run {
    qsizetype first = 0;
    qsizetype length = 0;
    qsizetype table = -1; // the run's RunTable, when it has one
};

// Runs searched for after a star are compared at every place of the name; a long one instead
// gets a table for a bit-parallel search (shift-and) that reads each character of the name once.
constexpr qsizetype shortRun = 3;
constexpr qsizetype longestTabledRun = 64;

// For each character, which elements of a run accept it: bit k stands for the k-th element.
class RunTable {
public:
    RunTable(const Element* element, qsizetype length, const Sets& sets) {
        for (qsizetype k = 0; k < length; ++k, ++element) {
            const std::uint64_t bit = std::uint64_t{1} << k;
            if (element->kind == Kind::Any) {
                m_any |= bit;
            } else if (element->kind == Kind::Set) {
                const CharSet& set = sets[static_cast<qsizetype>(element->ch)];
                for (char32_t c = 0; c <= lastSetMember; ++c) {
                    if (set.contains(c) != set.negate) {
                        m_low[c] |= bit;
                    }
                }
                if (set.negate) {
                    m_high |= bit; // no character above U+00FF is in a set
                }
            } else if (element->ch <= lastSetMember) {
                m_low[element->ch] |= bit;
            } else {
                m_highLiterals.append({element->ch, bit});
            }
        }
    }

    // `c` is folded already.
    std::uint64_t accepts(char32_t c) const {
        if (c <= lastSetMember) {
            return m_low[c] | m_any;
        }
        std::uint64_t bits = m_high | m_any;
        for (const auto& [literal, bit] : m_highLiterals) {
            if (literal == c) {
                bits |= bit;
            }
        }
        return bits;
    }

private:
    std::array<std::uint64_t, lastSetMember + 1> m_low{};
    std::uint64_t m_any = 0;
    std::uint64_t m_high = 0;
    QVarLengthArray<std::pair<char32_t, std::uint64_t>, 2> m_highLiterals;
};

struct CompiledMask {
    Elements elements; // ends with Kind::End
    Sets sets;
    QVarLengthArray<Run, 8> runs;
    std::vector<RunTable> tables;
    bool endsWithStar = false;
};

// Reads a mask once, left to right, into elements that end with Kind::End.
class Compiler {
public:
    explicit Compiler(const QString& mask) : m_mask(mask), m_view(mask) {}

    void compile(CompiledMask& compiled) {
        Elements& elements = compiled.elements;
        Sets& sets = compiled.sets;
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
                push(elements, {foldAscii(c), Kind::Literal, star});
                star = false;
            }
            advance();
        }
        push(elements, {0, Kind::End, star});
        compiled.runs.append({0, 0});
        for (qsizetype e = 0; e + 1 < elements.size(); ++e) {
            if (elements[e].skip) {
                compiled.runs.append({e, 0});
            }
            ++compiled.runs.back().length;
        }
        compiled.endsWithStar = elements.back().skip;
        for (Run& run : compiled.runs) {
            if (run.first > 0 && run.length > shortRun && run.length <= longestTabledRun) {
                run.table = static_cast<qsizetype>(compiled.tables.size());
                compiled.tables.emplace_back(elements.constData() + run.first, run.length, sets);
            }
        }
    }

private:
    // Adds an element; one that carries a star counts towards the limit.
    void push(Elements& elements, const Element& element) {
        if (element.skip && ++m_stars > maxStars) {
            throw InvalidMask(m_mask, static_cast<int>(m_position + 1), true);
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
                const char32_t last = foldAscii(peek());
                set.addRange(previous, last);
                previous = last;
            } else {
                previous = foldAscii(c);
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

// Matches a run of single-character elements at `i`; gives the position after it, or -1.
qsizetype matchRun(const Element* element, qsizetype length, const Sets& sets, QStringView name,
                   qsizetype i) {
    const qsizetype size = name.size();
    if (size - i < length) {
        return -1; // each element takes at least one code unit
    }
    for (const Element* end = element + length; element != end; ++element) {
        if (i >= size) {
            return -1;
        }
        const char32_t c = foldAscii(readChar(name, i));
        switch (element->kind) {
        case Kind::Literal:
            if (c != element->ch) {
                return -1;
            }
            break;
        case Kind::Set: {
            const CharSet& set = sets[static_cast<qsizetype>(element->ch)];
            if (set.contains(c) == set.negate) {
                return -1;
            }
            break;
        }
        case Kind::Any:
        case Kind::End:
            break;
        }
    }
    return i;
}

// Finds the leftmost place from `from` where a run fits, by shift-and: bit k of `fits` says
// that the run's first k + 1 elements fit the characters just read. Gives the position after
// the run, or -1.
qsizetype findWithTable(const RunTable& table, qsizetype length, QStringView name, qsizetype from) {
    const std::uint64_t whole = std::uint64_t{1} << (length - 1);
    std::uint64_t fits = 0;
    for (qsizetype i = from; i < name.size();) {
        fits = ((fits << 1) | 1) & table.accepts(foldAscii(readChar(name, i)));
        if (fits & whole) {
            return i;
        }
    }
    return -1;
}

// Wildcard matching in which a failed element sends the search back only to the latest star,
// which then swallows one more character. Between two stars that amounts to finding the
// leftmost place where the run of elements fits: a later place would never let the rest fit
// where the leftmost did not. The work stays within name length times mask length.
bool run(const CompiledMask& mask, QStringView name) {
    const Element* elements = mask.elements.constData();
    const Sets& sets = mask.sets;
    const auto& runs = mask.runs;
    const qsizetype size = name.size();

    qsizetype i = matchRun(elements, runs[0].length, sets, name, 0);
    if (i < 0) {
        return false;
    }
    // Without a star at the end, the last run is anchored to the end of the name.
    const qsizetype searched = mask.endsWithStar ? runs.size() : runs.size() - 1;
    for (qsizetype r = 1; r < searched; ++r) {
        const Element* first = elements + runs[r].first;
        const qsizetype length = runs[r].length;
        if (runs[r].table >= 0) {
            i = findWithTable(mask.tables[static_cast<std::size_t>(runs[r].table)], length, name,
                              i);
            if (i < 0) {
                return false;
            }
            continue;
        }
        // A first element that is neither a letter nor a surrogate can be searched for directly.
        const bool direct = first->kind == Kind::Literal && first->ch < 0x10000 &&
                            !(first->ch >= u'A' && first->ch <= u'Z') &&
                            !QChar::isSurrogate(first->ch);
        for (qsizetype from = i;;) {
            if (direct) {
                from = name.indexOf(QChar(static_cast<char16_t>(first->ch)), from);
                if (from < 0) {
                    return false;
                }
            }
            i = matchRun(first, length, sets, name, from);
            if (i >= 0) {
                break;
            }
            if (size - from <= length) {
                return false;
            }
            readChar(name, from);
        }
    }
    if (mask.endsWithStar || runs.size() == 1) {
        return mask.endsWithStar || i == size;
    }
    // The last run after the last star can only match the last characters of the name.
    const qsizetype length = runs.back().length;
    qsizetype start = size;
    for (qsizetype k = 0; k < length; ++k) {
        if (start <= i) {
            return false;
        }
        --start;
        if (start > i && name[start].isLowSurrogate() && name[start - 1].isHighSurrogate()) {
            --start;
        }
    }
    return matchRun(elements + runs.back().first, length, sets, name, start) == size;
}

// The scan tries every rule's mask on every item and a search tries one mask on every log
// record, so each thread keeps the masks it compiled last: a small table of 16 sets of 4
// entries, where a mask is found again with one hash and a few comparisons, whatever order the
// masks come in.
class MaskCache {
public:
    const CompiledMask& get(const QString& mask) {
        if (m_latest->valid && QStringView(m_latest->mask) == QStringView(mask)) {
            return m_latest->compiled;
        }
        Set& set = m_sets[setOf(mask)];
        for (Entry& entry : set.ways) {
            if (entry.valid && QStringView(entry.mask) == QStringView(mask)) {
                m_latest = &entry;
                return entry.compiled;
            }
        }
        Entry& entry = set.ways[set.next];
        set.next = (set.next + 1) % set.ways.size();
        m_latest = &entry;
        entry.valid = false;
        entry.compiled = CompiledMask();
        Compiler(mask).compile(entry.compiled); // a malformed mask throws and is not kept
        entry.mask = QString(mask.constData(), mask.size()); // a copy of its own, never shared
        entry.valid = true;
        return entry.compiled;
    }

private:
    static constexpr int setBits = 4;

    // Callers hand in the same strings again and again (a rule's mask, a search text), so the
    // address of the characters picks the set cheaply. It is only a hint: an entry keeps its
    // own copy of the mask and the characters are compared.
    static std::size_t setOf(const QString& mask) {
        // Fibonacci hashing: short strings lie a few bytes apart, so every address bit counts.
        const auto key = static_cast<std::uint64_t>(
            reinterpret_cast<std::uintptr_t>(mask.constData()) + std::size_t(mask.size()));
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - setBits));
    }

    struct Entry {
        QString mask;
        CompiledMask compiled;
        bool valid = false;
    };
    struct Set {
        std::array<Entry, 4> ways;
        std::size_t next = 0; // the way to replace next
    };
    std::array<Set, std::size_t{1} << setBits> m_sets;
    Entry* m_latest = &m_sets[0].ways[0];
};

} // namespace

bool matchesMask(const QString& name, const QString& mask) {
    // Made on first use, so that threads that never match a mask do not carry one.
    thread_local std::unique_ptr<MaskCache> cache;
    if (!cache) {
        cache = std::make_unique<MaskCache>();
    }
    return run(cache->get(mask), name);
}

} // namespace moravel
