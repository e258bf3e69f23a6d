#include "platform/CommandLine.h"

namespace corvel::commandline {

QStringList splitWindowsArguments(const QString &parameters)
{
    QStringList arguments;
    QString current;
    bool started = false;
    bool quoted = false;
    const qsizetype length = parameters.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = parameters.at(i);
        if ((c == u' ' || c == u'\t') && !quoted) {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
            continue;
        }
        started = true;
        if (c == u'\\') {
            qsizetype slashes = 0;
            while (i < length && parameters.at(i) == u'\\') {
                ++slashes;
                ++i;
            }
            if (i < length && parameters.at(i) == u'"') {
                // 2n backslashes and a quote: n backslashes, and the quote opens or closes;
                // 2n+1: n backslashes and a literal quote.
                current.append(QString(slashes / 2, u'\\'));
                if (slashes % 2 == 1)
                    current.append(u'"');
                else
                    --i;
            } else {
                current.append(QString(slashes, u'\\'));
                --i;
            }
        } else if (c == u'"') {
            if (quoted && i + 1 < length && parameters.at(i + 1) == u'"') {
                current.append(u'"');
                ++i;
            } else {
                quoted = !quoted;
            }
        } else {
            current.append(c);
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

} // namespace corvel::commandline
