#include "parley-dev/TerminalText.h"

namespace parley::dev {

QString terminalText(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\n')
            escaped += QLatin1String("\\n");
        else if (code == u'\r')
            escaped += QLatin1String("\\r");
        else if (code == u'\t')
            escaped += QLatin1String("\\t");
        else if (code < 0x20 || code == 0x7f)
            escaped += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
        else if (code >= 0x80 && code < 0xa0)
            escaped += QStringLiteral("\\u%1").arg(int(code), 4, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}

void printTerminalLine(std::FILE* stream, QStringView line)
{
    const QByteArray utf8 = (terminalText(line) + u'\n').toUtf8();
    std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), stream);
    std::fflush(stream);
}

} // namespace parley::dev
