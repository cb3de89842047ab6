// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_lines.h"

#include <QStringList>
#include <QTextBoundaryFinder>
#include <cmath>
#include <limits>

namespace quarnix {

namespace {

// How much a line that ends after `last` is worth, as a share of the even
// width it may be longer or shorter for it: most after a sentence, less
// after a clause.
qreal EndWorth(QChar last) {
    if (QStringView(u"。！？；!?;").contains(last)) {
        return 0.5;
    }
    return QStringView(u"，、：,:”）)").contains(last) ? 0.3 : 0;
}

// Whether `text` leaves a quotation or parenthesis open: no line ends there.
bool LeavesOpen(QStringView text) {
    return text.count(u'“') > text.count(u'”') || text.count(u'（') > text.count(u'）') ||
           text.count(u'(') > text.count(u')');
}

// Where the next line of `line` from `start` ends, at most `width` wide and
// as near `target` as the break places allow.
qsizetype NextBreak(const QString& line, qsizetype start, const QFontMetricsF& metrics, qreal width,
                    qreal target) {
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    breaks.setPosition(start);
    qsizetype best = -1;
    qreal bestScore = std::numeric_limits<qreal>::max();
    for (qsizetype at = breaks.toNextBoundary(); at > start && at < line.size();
         at = breaks.toNextBoundary()) {
        const QStringView head = QStringView(line).mid(start, at - start);
        const qreal advance = metrics.horizontalAdvance(head.trimmed().toString());
        if (advance > width && best >= 0) {
            break;
        }
        if (advance < target / 2) {
            continue;  // a line as short as that is what the breaking avoids
        }
        const qreal score = std::abs(advance - target) / target - EndWorth(line[at - 1]) +
                            (LeavesOpen(head) ? 0.3 : 0);
        if (score < bestScore) {
            best = at;
            bestScore = score;
        }
    }
    return best;
}

QStringList Balanced(const QString& line, const QFontMetricsF& metrics, qreal width) {
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const QString rest = line.mid(start);
        const qreal restWidth = metrics.horizontalAdvance(rest);
        if (restWidth <= width) {
            lines << rest;
            return lines;
        }
        const qreal count = std::ceil(restWidth / width);
        const qsizetype end = NextBreak(line, start, metrics, width, restWidth / count);
        if (end < 0) {  // no place to break: Qt wraps it
            lines << rest;
            return lines;
        }
        lines << line.mid(start, end - start).trimmed();
        start = end;
    }
}

}  // namespace

QString BalancedLines(const QString& text, const QFontMetricsF& metrics, qreal width) {
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        lines << Balanced(line, metrics, width);
    }
    return lines.join(u'\n');
}

}  // namespace quarnix
