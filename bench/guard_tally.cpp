// SPDX-License-Identifier: GPL-3.0-or-later
#include "guard_tally.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace quarnix::bench {
namespace {

const char* const LevelNames[] = {"秘密", "机密", "绝密"};

double Percent(const Count& c) {
    return c.Seen == 0 ? 0 : 100.0 * static_cast<double>(c.Hit) / static_cast<double>(c.Seen);
}

std::string Cell(const Count& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.1f %% (%ld/%ld)", Percent(c), c.Hit, c.Seen);
    return text;
}

void PrintLevel(const LevelTally& t, int level) {
    std::printf("== %s ==\n", LevelNames[level]);
    std::printf("files judged (right passes, different refused)  %s\n", Cell(t.Judged).c_str());
    std::printf("right decryptions questioned                    %s\n",
                Cell(t.RightQuestioned).c_str());
    std::printf("right decryptions not byte-exact                %s\n", Cell(t.NotExact).c_str());
    const char* at[] = {"first", "middle", "last"};
    for (int p = 0; p < (level == 2 ? 2 : 1); ++p) {
        for (int a = 0; a < 3; ++a) {
            std::printf("typo, password %d, %-6s char, judged files    %s   called typo %s\n",
                        p + 1, at[a], Cell(t.Typo[p][a].Caught).c_str(),
                        Cell(t.Typo[p][a].CalledTypo).c_str());
        }
    }
    const auto refusals = [](const char* name, const Refusals& r) {
        std::printf("%-48s %s   called typo %s\n", name, Cell(r.Caught).c_str(),
                    Cell(r.CalledTypo).c_str());
    };
    refusals("different password, same length, all files", t.DifferentSameLength);
    refusals("different password, other length, all files", t.DifferentOtherLength);
    refusals("wrong level, right passwords, all files", t.WrongLevel);
    std::printf("second encryption caught, judged files          %s   all files %s\n",
                Cell(t.SecondJudged).c_str(), Cell(t.Second).c_str());
    std::printf("first encryptions questioned                    %s\n",
                Cell(t.FirstQuestioned).c_str());
}

// Rows of password lengths, a column per level.
void PrintByLength(const char* title, Tally& tally, std::map<int, Count> LevelTally::*table) {
    std::printf("\n%s\nlength  %-22s %-22s %-22s\n", title, LevelNames[0], LevelNames[1],
                LevelNames[2]);
    std::set<int> lengths;
    for (LevelTally& t : tally.Levels) {
        for (const auto& [length, count] : t.*table) {
            lengths.insert(length);
        }
    }
    for (const int length : lengths) {
        std::printf("%6d", length);
        for (LevelTally& t : tally.Levels) {
            std::printf("  %-22s", Cell((t.*table)[length]).c_str());
        }
        std::printf("\n");
    }
}

void PrintByFormat(Tally& tally) {
    std::map<std::string, Count> missed, unjudged;
    for (const LevelTally& t : tally.Levels) {
        for (const auto& [format, c] : t.TypoByFormat) {
            missed[format].Seen += c.Seen;
            missed[format].Hit += c.Seen - c.Hit;
        }
        for (const auto& [format, c] : t.JudgedByFormat) {
            unjudged[format].Seen += c.Seen;
            unjudged[format].Hit += c.Seen - c.Hit;
        }
    }
    std::printf("\ntypos missed by format (judged files, all levels):");
    for (const auto& [format, c] : missed) {
        if (c.Hit > 0) {
            std::printf(" %s %ld/%ld;", format.c_str(), c.Hit, c.Seen);
        }
    }
    std::printf("\nfiles not judged by format (file and level):");
    for (const auto& [format, c] : unjudged) {
        if (c.Hit > 0) {
            std::printf(" %s %ld/%ld;", format.c_str(), c.Hit, c.Seen);
        }
    }
    std::printf("\n");
}

void PrintTimes(std::vector<std::pair<double, std::string>>& looks, const char* clock) {
    if (looks.size() < 2) {
        return;
    }
    looks.erase(looks.begin());  // the first look loads the type database
    std::sort(looks.begin(), looks.end());
    double sum = 0;
    for (const auto& look : looks) {
        sum += look.first;
    }
    const auto at = [&looks](double share) {
        return looks[static_cast<std::size_t>(share * static_cast<double>(looks.size() - 1))].first;
    };
    std::printf(
        "\njudging (%s): %zu looks, mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, "
        "longest %.3f ms\nlongest looks:",
        clock, looks.size(), sum / static_cast<double>(looks.size()), at(0.5), at(0.99),
        looks.back().first);
    for (std::size_t i = looks.size() - std::min<std::size_t>(5, looks.size()); i < looks.size();
         ++i) {
        std::printf(" %.1f ms %s;", looks[i].first, looks[i].second.c_str());
    }
    std::printf("\n");
}

}  // namespace

void Print(Tally& tally) {
    for (int level = 0; level < 3; ++level) {
        PrintLevel(tally.Levels[level], level);
    }
    PrintByLength(
        "typos caught by the mistyped password's length (judged files, first, middle "
        "and last character)",
        tally, &LevelTally::TypoByLength);
    PrintByLength("files judged by password 1's length", tally, &LevelTally::JudgedByLength);
    PrintByLength("record-aligned files: right decryptions questioned, every password length",
                  tally, &LevelTally::RecordsQuestioned);
    PrintByFormat(tally);
    std::printf("\nfalse alarms (right decryptions questioned): %zu\n", tally.FalseAlarms.size());
    for (const std::string& alarm : tally.FalseAlarms) {
        std::printf("  %s\n", alarm.c_str());
    }
    PrintTimes(tally.Looks, "by the clock");
    PrintTimes(tally.LooksCpu, "processor time");
}

}  // namespace quarnix::bench
