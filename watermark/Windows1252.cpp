// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows1252.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace watermark {

namespace {

// One iconv conversion descriptor, closed with its owner.
class Converter
{
public:
    Converter(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    { }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one unit; false when it cannot be represented.
    bool convert(const char *in, size_t inSize, QByteArray &out)
    {
        char buffer[16];
        char *source = const_cast<char *>(in);
        char *target = buffer;
        size_t targetLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &source, &inSize, &target, &targetLeft) == size_t(-1))
            return false;
        out.append(buffer, qsizetype(sizeof buffer - targetLeft));
        return true;
    }

private:
    iconv_t m_cd;
};

bool isUnassigned(unsigned code)
{
    return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

} // namespace

std::optional<QByteArray> toWindows1252(const QString &text, qsizetype *position)
{
    Converter converter("WINDOWS-1252", "UTF-32LE");
    QByteArray out;
    qsizetype index = 0;
    for (const uint code : text.toUcs4()) {
        if (isUnassigned(code)) {
            out.append(char(code));
        } else if (!converter.valid()
                   || !converter.convert(reinterpret_cast<const char *>(&code), 4, out)) {
            if (position)
                *position = index;
            return std::nullopt;
        }
        index += code > 0xFFFF ? 2 : 1;
    }
    return out;
}

QString fromWindows1252(const QByteArray &bytes)
{
    Converter converter("UTF-32LE", "WINDOWS-1252");
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const unsigned code = static_cast<unsigned char>(byte);
        QByteArray unit;
        if (code < 0x80 || isUnassigned(code) || !converter.convert(&byte, 1, unit)
            || unit.size() != 4) {
            text.append(QChar(char16_t(code)));
            continue;
        }
        char32_t decoded = 0;
        memcpy(&decoded, unit.constData(), 4);
        text.append(QString::fromUcs4(&decoded, 1));
    }
    return text;
}

} // namespace watermark
