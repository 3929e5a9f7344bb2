#include "EmulatorFrameReader.h"

void TEmulatorFrameReader::Reset() {
    m_InFrame = false;
    m_Escape = false;
    m_FieldHasTilde = false;
    m_Raw.clear();
    m_Field.clear();
    m_Tokens.clear();
    m_Problem.clear();
}

QList<TEmulatorFrameReader::TFrame> TEmulatorFrameReader::Feed(const QByteArray& bytes) {
    QList<TFrame> done;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (!m_InFrame) {
            if (c == '+') {
                if (!m_Raw.isEmpty())
                    done.append({m_Raw, {}, QStringLiteral("bytes outside a frame")});
                m_InFrame = true;
                m_Raw = "+";
                continue;
            }
            // Bytes between frames: report each run of them once, as a frame of its own.
            m_Raw += c;
            if (m_Raw.size() >= MaxFrameLength || c == '\n') {
                done.append({m_Raw, {}, QStringLiteral("bytes outside a frame")});
                m_Raw.clear();
            }
            continue;
        }
        m_Raw += c;
        if (m_Raw.size() > MaxFrameLength) {
            Fail(QStringLiteral("frame longer than %1 bytes").arg(MaxFrameLength));
            done.append({m_Raw, m_Tokens, m_Problem});
            Reset();
            continue;
        }
        if (u < 0x20 || u == 0x7F)
            Fail(QStringLiteral("control character 0x%1").arg(u, 2, 16, QLatin1Char('0')));
        if (m_Escape) {
            m_Escape = false;
            if (c != '/' && c != ':' && c != '~')
                Fail(QStringLiteral("escape before '%1'").arg(QLatin1Char(c)));
            m_Field += c;
            continue;
        }
        if (c == '/') {
            m_Escape = true;
        } else if (c == ':') {
            if (m_FieldHasTilde && m_Field == "~") {
                done.append({m_Raw, m_Tokens, m_Problem});
                Reset();
                continue;
            }
            if (m_FieldHasTilde)
                Fail(QStringLiteral("unescaped '~' inside a field"));
            m_Tokens.append(QString::fromLatin1(m_Field));
            m_Field.clear();
            m_FieldHasTilde = false;
        } else {
            if (c == '~')
                m_FieldHasTilde = true;
            m_Field += c;
        }
    }
    return done;
}
