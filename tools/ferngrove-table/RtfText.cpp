#include "RtfText.h"

#include <cctype>
#include <vector>

namespace {

// 0x80..0x9F of Windows-1252; 0 where the code page has no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Destinations whose text is not part of the document's text.
bool isSkippedDestination(const QByteArray& word)
{
    static const char* const names[] = {
        "fonttbl",  "colortbl", "stylesheet", "info",     "pict",       "object",    "header",
        "headerl",  "headerr",  "headerf",    "footer",   "footerl",    "footerr",   "footerf",
        "footnote", "fldinst",  "listtable",  "listoverridetable",      "rsidtbl",   "generator",
        "themedata", "colorschememapping",    "latentstyles",           "datastore", "xmlnstbl",
        "filetbl",  "revtbl",   "pn",         "pgdsctbl", "mmathPr",    "bkmkstart", "bkmkend",
    };
    for (const char* n : names)
        if (word == n)
            return true;
    return false;
}

struct Group
{
    bool skip = false;
    bool listText = false; // \pntext or \listtext: the bullet or number of a list item
    int unicodeSkip = 1;   // \ucN: fallback characters after each \u
};

class RtfReader
{
public:
    explicit RtfReader(const QByteArray& in) : m_in(in) { m_groups.push_back(Group()); }

    QString run()
    {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                openGroup();
            } else if (c == '}') {
                closeGroup();
            } else if (c == '\\') {
                controlWord();
            } else if (c == '\r' || c == '\n') {
                // line breaks in the source are not text
            } else {
                emitChar(windows1252ToUnicode(uchar(c)));
            }
        }
        flushSurrogate();
        while (!m_out.isEmpty() && (m_out.back() == QLatin1Char('\n') || m_out.back() == QLatin1Char(' ')
                                    || m_out.back() == QLatin1Char('\t')))
            m_out.chop(1);
        return m_out;
    }

private:
    static constexpr int kMaxDepth = 512; // deeper groups share the state of the deepest kept one

    Group& top() { return m_groups.back(); }

    void openGroup()
    {
        if (m_groups.size() >= kMaxDepth) {
            ++m_extraDepth;
            return;
        }
        Group g = top();
        g.listText = false;
        m_groups.push_back(g);
        m_groupStart = true;
    }

    void closeGroup()
    {
        m_groupStart = false;
        if (m_extraDepth > 0) {
            --m_extraDepth;
            return;
        }
        if (m_groups.size() <= 1)
            return; // an unbalanced '}' is ignored
        const Group closing = m_groups.back();
        m_groups.pop_back();
        if (closing.listText && !top().skip) {
            // The item's bullet: a symbol-font character becomes a bullet, a number stays.
            QString mark = m_listText.trimmed();
            bool word = false;
            for (QChar ch : mark)
                word = word || ch.isLetterOrNumber();
            m_out += word ? mark + QLatin1Char(' ') : QStringLiteral("\u2022 ");
            m_listText.clear();
        }
    }

    void emitText(const QString& s)
    {
        for (QChar ch : s)
            emitChar(ch.unicode());
    }

    void emitChar(char16_t ch)
    {
        if (m_pendingFallback > 0) {
            --m_pendingFallback;
            return;
        }
        m_groupStart = false;
        if (top().skip)
            return;
        if (QChar::isHighSurrogate(ch)) {
            flushSurrogate();
            m_highSurrogate = ch;
            return;
        }
        if (QChar::isLowSurrogate(ch) && m_highSurrogate) {
            append(QChar(m_highSurrogate));
            append(QChar(ch));
            m_highSurrogate = 0;
            return;
        }
        flushSurrogate();
        append(QChar(ch));
    }

    void flushSurrogate()
    {
        if (m_highSurrogate)
            append(QChar(0xFFFD)); // a lone half of a pair
        m_highSurrogate = 0;
    }

    void append(QChar ch)
    {
        if (top().listText)
            m_listText += ch;
        else
            m_out += ch;
    }

    int hexDigit(char c) const
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void controlWord()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!std::isalpha(uchar(c))) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(uchar(m_in[m_pos])))
            ++m_pos;
        // Words are at most 32 letters; a longer one is no known word and is ignored whole.
        const QByteArray word = m_in.mid(start, std::min<qsizetype>(m_pos - start, 33));
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (m_pos < m_in.size() && m_in[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < m_in.size() && std::isdigit(uchar(m_in[m_pos]))) {
            if (digits < 10) // longer numbers are malformed; their value is not used
                param = param * 10 + (m_in[m_pos] - '0');
            ++digits;
            ++m_pos;
            hasParam = true;
        }
        if (negative)
            param = -param;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiter belongs to the control word
        const bool atGroupStart = m_groupStart;
        m_groupStart = false;
        handleWord(word, hasParam, param, atGroupStart);
    }

    void controlSymbol(char c)
    {
        const bool atGroupStart = m_groupStart;
        m_groupStart = false;
        switch (c) {
        case '\\':
        case '{':
        case '}': emitChar(char16_t(uchar(c))); break;
        case '~': emitChar(0x00A0); break;
        case '_': emitChar(u'-'); break;
        case '-': break; // optional hyphen
        case '*':
            if (atGroupStart)
                top().skip = true;
            break;
        case '\r':
        case '\n': emitChar(u'\n'); break;
        case '\'': {
            int hi = m_pos < m_in.size() ? hexDigit(m_in[m_pos]) : -1;
            int lo = m_pos + 1 < m_in.size() ? hexDigit(m_in[m_pos + 1]) : -1;
            if (hi < 0 || lo < 0) {
                if (hi >= 0)
                    ++m_pos;
                break; // malformed escape: nothing
            }
            m_pos += 2;
            emitChar(windows1252ToUnicode(uchar(hi * 16 + lo)));
            break;
        }
        default: break;
        }
    }

    void handleWord(const QByteArray& word, bool hasParam, long long param, bool atGroupStart)
    {
        if (word == "bin") {
            // Binary data of param bytes follows; never text.
            const long long n = hasParam && param > 0 ? param : 0;
            m_pos += qsizetype(std::min<long long>(n, m_in.size() - m_pos));
            return;
        }
        if (word == "u" && hasParam) {
            long long v = param;
            if (v < 0)
                v += 65536;
            if (v >= 0 && v <= 0xFFFF)
                emitChar(char16_t(v));
            m_pendingFallback = top().unicodeSkip;
            return;
        }
        if (word == "uc") {
            top().unicodeSkip = hasParam && param >= 0 && param < 16 ? int(param) : 1;
            return;
        }
        if (word == "pntext" || word == "listtext") {
            top().listText = true;
            m_listText.clear();
            return;
        }
        if (isSkippedDestination(word)) {
            top().skip = true;
            return;
        }
        Q_UNUSED(atGroupStart);
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row")
            emitChar(u'\n');
        else if (word == "tab" || word == "cell")
            emitChar(u'\t');
        else if (word == "emdash")
            emitChar(0x2014);
        else if (word == "endash")
            emitChar(0x2013);
        else if (word == "bullet")
            emitChar(0x2022);
        else if (word == "lquote")
            emitChar(0x2018);
        else if (word == "rquote")
            emitChar(0x2019);
        else if (word == "ldblquote")
            emitChar(0x201C);
        else if (word == "rdblquote")
            emitChar(0x201D);
        // Every other control word sets formatting, which plain text has not.
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    std::vector<Group> m_groups;
    int m_extraDepth = 0;
    bool m_groupStart = false;
    int m_pendingFallback = 0;
    char16_t m_highSurrogate = 0;
    QString m_out;
    QString m_listText;
};

} // namespace

char16_t windows1252ToUnicode(uchar byte)
{
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0)
        return kHigh[byte - 0x80];
    return char16_t(byte);
}

int unicodeToWindows1252(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return int(ch);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == ch)
            return 0x80 + i;
    return -1;
}

QString rtfToPlainText(const QByteArray& rtf)
{
    if (!rtf.startsWith("{\\rtf")) {
        QString text;
        text.reserve(rtf.size());
        for (char c : rtf)
            text += QChar(windows1252ToUnicode(uchar(c)));
        return text;
    }
    return RtfReader(rtf).run();
}

QByteArray rtfSourceToAscii(const QString& source)
{
    QByteArray out;
    out.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        const char16_t ch = source[i].unicode();
        if (ch < 0x80) {
            out.append(char(ch));
            continue;
        }
        const int b = unicodeToWindows1252(ch);
        if (b >= 0) {
            out.append("\\'");
            out.append(QByteArray::number(b, 16).rightJustified(2, '0'));
        } else {
            // \u takes a signed 16-bit number; the '?' is what readers without Unicode show.
            out.append("\\u");
            out.append(QByteArray::number(int(qint16(ch))));
            out.append('?');
        }
    }
    return out;
}
