// matchesMask against glibc fnmatch(3) with FNM_CASEFOLD on one corpus of desktop names and
// masks, and the time of a hostile mask. The goal's baseline is fnmatch in the C locale: one
// byte a character and only A to Z folded, the least work a matcher can do. In a UTF-8 locale
// fnmatch decodes every character and folds every letter, which is slower and shown for
// comparison only. Both sides must find the same matches on the corpus, or the run stops before
// timing anything. Prints each ratio against its goal at the end, "met" or "MISSED".
#include "engine/maskmatcher.h"

#include <QStringList>

#include <benchmark/benchmark.h>
#include <clocale>
#include <cstdio>
#include <fnmatch.h>
#include <map>
#include <string>
#include <vector>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

// Names as they pile up on a desktop: screenshots, downloads, documents, folders, shortcuts.
QStringList makeNames() {
    const QStringList stems = {
        u"Screenshot from 2021-06-%1 10-%2-12"_s,
        u"IMG_%1%2"_s,
        u"invoice_2020_%1-%2"_s,
        u"Report %1 final (%2)"_s,
        u"New Folder %1%2"_s,
        u"R\u00e9sum\u00e9 %1-%2"_s,
        u"setup-v%1.%2-x86_64"_s,
        u"meeting notes %1 of %2"_s,
        u"a_rather_long_file_name_that_goes_on_%1_and_%2"_s,
        u"%1%2"_s,
    };
    const QStringList extensions = {u".png"_s, u".JPG"_s, u".pdf"_s,    u""_s,     u".docx"_s,
                                    u".txt"_s, u".lnk"_s, u".tar.gz"_s, u".iso"_s, u".desktop"_s};
    QStringList names;
    for (int i = 0; i < 1000; ++i) {
        const QString stem = stems[i % stems.size()].arg(i % 31 + 1).arg(i * 7 % 60);
        names << stem + extensions[(i / stems.size()) % extensions.size()];
    }
    return names;
}

const QStringList masks = {
    u"*.txt"_s,           u"*.PDF"_s,     u"Screenshot*"_s,
    u"IMG_????.JPG"_s,    u"*.*"_s,       u"*report*final*"_s,
    u"*[0-9][0-9].png"_s, u"[!.]*.lnk"_s, u"*.tar.gz"_s,
    u"invoice_20??_*"_s,  u"*notes*"_s,   u"setup-v*.iso"_s,
    u"[a-m]*.docx"_s,     u"*_and_*"_s,   u"*"_s,
    u"new folder*"_s,
};

struct Corpus {
    QStringList names = makeNames();
    std::vector<std::string> namesUtf8;
    std::vector<std::string> masksUtf8;
    Corpus() {
        for (const QString& n : names) {
            namesUtf8.push_back(n.toStdString());
        }
        for (const QString& m : masks) {
            masksUtf8.push_back(m.toStdString());
        }
    }
};

const Corpus& corpus() {
    static const Corpus c;
    return c;
}

// Two orders: one mask over every name (a search of the cleaned items) and every mask over one
// name (the scan trying each rule on an item).
enum class Order { MaskFirst, NameFirst };

template <typename Match>
std::int64_t overCorpus(Order order, std::size_t names, std::size_t maskCount, Match match) {
    std::int64_t matched = 0;
    if (order == Order::MaskFirst) {
        for (std::size_t m = 0; m < maskCount; ++m) {
            for (std::size_t n = 0; n < names; ++n) {
                matched += match(n, m) ? 1 : 0;
            }
        }
    } else {
        for (std::size_t n = 0; n < names; ++n) {
            for (std::size_t m = 0; m < maskCount; ++m) {
                matched += match(n, m) ? 1 : 0;
            }
        }
    }
    return matched;
}

void matchesMaskCorpus(benchmark::State& state, Order order) {
    const Corpus& c = corpus();
    std::int64_t matched = 0;
    for (auto _ : state) {
        matched =
            overCorpus(order, c.names.size(), masks.size(), [&](std::size_t n, std::size_t m) {
                return matchesMask(c.names[qsizetype(n)], masks[qsizetype(m)]);
            });
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = static_cast<double>(matched);
    state.SetItemsProcessed(state.iterations() * masks.size() * c.names.size());
}

void fnmatchCorpus(benchmark::State& state, Order order, const char* locale) {
    std::setlocale(LC_ALL, locale);
    const Corpus& c = corpus();
    std::int64_t matched = 0;
    for (auto _ : state) {
        matched = overCorpus(
            order, c.namesUtf8.size(), c.masksUtf8.size(), [&](std::size_t n, std::size_t m) {
                return fnmatch(c.masksUtf8[m].c_str(), c.namesUtf8[n].c_str(), FNM_CASEFOLD) == 0;
            });
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = static_cast<double>(matched);
    state.SetItemsProcessed(state.iterations() * masks.size() * c.names.size());
    std::setlocale(LC_ALL, "C");
}

void BM_matchesMask_maskFirst(benchmark::State& state) {
    matchesMaskCorpus(state, Order::MaskFirst);
}
void BM_matchesMask_nameFirst(benchmark::State& state) {
    matchesMaskCorpus(state, Order::NameFirst);
}
// The baseline: fnmatch's single-byte path in the C locale.
void BM_fnmatch_c_maskFirst(benchmark::State& state) {
    fnmatchCorpus(state, Order::MaskFirst, "C");
}
void BM_fnmatch_c_nameFirst(benchmark::State& state) {
    fnmatchCorpus(state, Order::NameFirst, "C");
}
// For comparison: the names decoded as UTF-8, as a UTF-8 session's fnmatch does.
void BM_fnmatch_utf8_maskFirst(benchmark::State& state) {
    fnmatchCorpus(state, Order::MaskFirst, "C.UTF-8");
}

// Thirty stars against 10,000 characters: tried naively, these never end. The first ends in a
// fixed tail; the others make the latest star search the whole name, the last one comparing a
// long run of characters at every position.
QString hostileMask(std::int64_t kind) {
    const QString stars = QString(u"*a"_s).repeated(28);
    switch (kind) {
    case 0:
        return stars + u"*a*b"_s;
    case 1:
        return stars + u"*b*"_s;
    default:
        return stars + u'*' + QString(50, u'a') + u"b*"_s;
    }
}

void BM_hostileMask(benchmark::State& state) {
    const QString name(10000, u'a');
    const QString mask = hostileMask(state.range(0));
    bool result = true;
    for (auto _ : state) {
        result = matchesMask(name, mask);
        benchmark::DoNotOptimize(result);
    }
    if (result) {
        state.SkipWithError("the hostile mask matched");
    }
}

BENCHMARK(BM_matchesMask_maskFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_fnmatch_c_maskFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_matchesMask_nameFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_fnmatch_c_nameFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_fnmatch_utf8_maskFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_hostileMask)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// The number of (name, mask) pairs on which matchesMask and fnmatch in the C locale disagree;
// the first few are shown. Timing two sides that find different matches would compare
// different work.
int disagreements() {
    std::setlocale(LC_ALL, "C");
    const Corpus& c = corpus();
    int count = 0;
    for (std::size_t m = 0; m < c.masksUtf8.size(); ++m) {
        for (std::size_t n = 0; n < c.namesUtf8.size(); ++n) {
            const bool ours = matchesMask(c.names[qsizetype(n)], masks[qsizetype(m)]);
            const bool theirs =
                fnmatch(c.masksUtf8[m].c_str(), c.namesUtf8[n].c_str(), FNM_CASEFOLD) == 0;
            if (ours != theirs && ++count <= 10) {
                std::fprintf(stderr, "mask \"%s\", name \"%s\": matchesMask %s, fnmatch %s\n",
                             c.masksUtf8[m].c_str(), c.namesUtf8[n].c_str(),
                             ours ? "matches" : "does not match",
                             theirs ? "matches" : "does not match");
            }
        }
    }
    return count;
}

// Remembers each benchmark's time per iteration, so the ratios can be printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime() * 1e9 /
                                                    benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (const int differ = disagreements(); differ != 0) {
        std::fprintf(stderr,
                     "bench_maskmatcher: matchesMask and fnmatch (C locale) disagree on %d of "
                     "%zu name and mask pairs of the corpus; nothing was timed.\n",
                     differ, static_cast<std::size_t>(corpus().names.size() * masks.size()));
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& ns = reporter.nanoseconds;
    int status = 0;
    const auto ratio = [&](const char* name, const char* baseline, const char* label, bool goal) {
        if (ns.count(name) && ns.count(baseline)) {
            const double r = ns.at(name) / ns.at(baseline);
            std::printf("%-62s %.3f  %s\n", label, r,
                        !goal      ? "(for comparison)"
                        : r <= 1.0 ? "goal <= 1.0: met"
                                   : "goal <= 1.0: MISSED");
            status |= goal && r > 1.0 ? 1 : 0;
        }
    };
    ratio("BM_matchesMask_maskFirst", "BM_fnmatch_c_maskFirst",
          "matchesMask / fnmatch(FNM_CASEFOLD), C locale, mask first:", true);
    ratio("BM_matchesMask_nameFirst", "BM_fnmatch_c_nameFirst",
          "matchesMask / fnmatch(FNM_CASEFOLD), C locale, name first:", true);
    ratio("BM_matchesMask_maskFirst", "BM_fnmatch_utf8_maskFirst",
          "matchesMask / fnmatch(FNM_CASEFOLD), C.UTF-8, mask first:", false);
    for (const char* name : {"BM_hostileMask/0", "BM_hostileMask/1", "BM_hostileMask/2"}) {
        if (ns.count(name)) {
            const double us = ns.at(name) / 1000.0;
            std::printf("%s, 30 stars, 10,000 characters: %.1f us (ratio to the goal %.4f)  %s\n",
                        name, us, us / 1000.0,
                        us < 1000.0 ? "goal < 1000 us: met" : "goal < 1000 us: MISSED");
            status |= us < 1000.0 ? 0 : 1;
        }
    }
    benchmark::Shutdown();
    return status;
}
