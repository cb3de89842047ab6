// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What quarnix-guard-corpus counts, per level and per password length, and
// how it prints it.

#include <map>
#include <string>
#include <vector>

namespace quarnix::bench {

struct Count {
    long Seen = 0;
    long Hit = 0;
    void Add(bool hit) {
        ++Seen;
        Hit += hit ? 1 : 0;
    }
};

// Runs that should be refused: how many were, and how many of those refusals
// said that one character was mistyped.
struct Refusals {
    Count Caught;
    Count CalledTypo;
    void Add(bool caught, bool typo) {
        Caught.Add(caught);
        if (caught) {
            CalledTypo.Add(typo);
        }
    }
};

enum TypoAt { First, Middle, Last };

struct LevelTally {
    Count Judged;  // the right passwords pass and a different password is refused
    Count RightQuestioned, NotExact, FirstQuestioned, Second, SecondJudged;
    // Among judged files: [password 1 or 2][first, middle, last character].
    Refusals Typo[2][3];
    std::map<int, Count> TypoByLength;    // both passwords, by the mistyped one's length
    std::map<int, Count> JudgedByLength;  // by password 1's length
    Refusals DifferentSameLength, DifferentOtherLength, WrongLevel;
    std::map<std::string, Count> TypoByFormat;  // by extension, judged files
    std::map<std::string, Count> JudgedByFormat;
    std::map<int, Count> RecordsQuestioned;  // record-aligned files, by password length
};

struct Tally {
    LevelTally Levels[3];
    std::vector<std::string> FalseAlarms;  // right decryptions questioned
    // Milliseconds each look took, and the file looked at: by the clock, and
    // in processor time of the thread.
    std::vector<std::pair<double, std::string>> Looks, LooksCpu;
};

void Print(Tally& tally);

}  // namespace quarnix::bench
