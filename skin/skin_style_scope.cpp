#include "skin/skin_style_scope.h"

#include <QStringList>

namespace tandemo {

namespace {

const QString kMark = QStringLiteral("[%1=\"true\"]").arg(QLatin1String(kSkinnedProperty));

/// The text without its comments.
QString withoutComments(const QString& text)
{
    QString kept;
    for (qsizetype i = 0; i < text.size();) {
        if (text.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? text.size() : end + 2;
        } else {
            kept += text[i++];
        }
    }
    return kept;
}

/// The index just past the quoted string that starts at `i`.
qsizetype pastQuote(const QString& text, qsizetype i)
{
    const QChar quote = text[i];
    for (++i; i < text.size() && text[i] != quote; ++i) {
        if (text[i] == u'\\')
            ++i;
    }
    return std::min(i + 1, text.size());
}

/// The index of the first of `stops` at the top level from `from` (outside quotes, brackets
/// and parentheses), or the text's size.
qsizetype findTopLevel(const QString& text, qsizetype from, QStringView stops)
{
    int depth = 0;
    for (qsizetype i = from; i < text.size();) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            i = pastQuote(text, i);
            continue;
        }
        if (depth == 0 && stops.contains(c))
            return i;
        if (c == u'[' || c == u'(')
            ++depth;
        else if ((c == u']' || c == u')') && depth > 0)
            --depth;
        ++i;
    }
    return text.size();
}

/// One selector with the mark on its subject (the last compound), before its pseudo-states and
/// sub-controls.
QString markedSelector(const QString& selector)
{
    const QString trimmed = selector.trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    // The subject starts after the last combinator at the top level.
    qsizetype subject = 0;
    for (qsizetype i = 0; (i = findTopLevel(trimmed, i, u" \t\n>+~")) < trimmed.size(); ++i)
        subject = i + 1;
    const qsizetype pseudo = findTopLevel(trimmed, subject, u":");
    QString marked = trimmed;
    marked.insert(pseudo, subject == pseudo ? u'*' + kMark : kMark);
    return marked;
}

QString scopedRules(const QString& text)
{
    QString scoped;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = findTopLevel(text, i, u"{");
        if (open >= text.size()) {
            scoped += text.mid(i);
            break;
        }
        // The block, with any block inside it (the rules of an at-rule).
        int depth = 0;
        qsizetype close = open;
        for (; close < text.size(); ++close) {
            if (text[close] == u'"' || text[close] == u'\'') {
                close = pastQuote(text, close) - 1;
            } else if (text[close] == u'{') {
                ++depth;
            } else if (text[close] == u'}' && --depth == 0) {
                break;
            }
        }
        const QString head = text.mid(i, open - i);
        const QString body = text.mid(open + 1, close - open - 1);
        if (head.trimmed().startsWith(u'@')) {
            scoped += head + u'{' + scopedRules(body) + u'}';
        } else {
            QStringList selectors;
            for (qsizetype from = 0; from <= head.size();) {
                const qsizetype comma = findTopLevel(head, from, u",");
                selectors << markedSelector(head.mid(from, comma - from));
                from = comma + 1;
            }
            scoped += selectors.join(QLatin1String(", ")) + QLatin1String(" {") + body + u'}';
        }
        i = close + 1;
    }
    return scoped;
}

} // namespace

QString scopedToSkinnedWidgets(const QString& styleSheet)
{
    const QString text = withoutComments(styleSheet);
    if (text.trimmed().isEmpty())
        return QString();
    // Qt reads a sheet without rules as the declarations of one rule for every widget.
    if (findTopLevel(text, 0, u"{") >= text.size())
        return scopedRules(QLatin1String("* {") + text + u'}');
    return scopedRules(text);
}

} // namespace tandemo
