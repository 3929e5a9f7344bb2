#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Cuts the byte stream of requests into frames and checks each strictly: it starts with "+",
// every escape "/" is followed by "/", ":" or "~", no unescaped "~" other than the end marker,
// no control characters, a bounded length. A faulty frame is still read to its end so that the
// stream stays in step.
class TEmulatorFrameReader {
public:
    struct TFrame {
        QByteArray Raw;
        QStringList Tokens;
        QString Problem; // empty when the frame is well formed
    };

    static constexpr int MaxFrameLength = 4096;

    // Feeds bytes; returns the frames completed by them.
    QList<TFrame> Feed(const QByteArray& bytes);
    // Bytes of a frame begun but not finished.
    QByteArray Pending() const { return m_Raw; }

private:
    void Fail(const QString& problem) {
        if (m_Problem.isEmpty())
            m_Problem = problem;
    }
    void Reset();

    bool m_InFrame = false;
    bool m_Escape = false;
    bool m_FieldHasTilde = false;
    QByteArray m_Raw;
    QByteArray m_Field;
    QStringList m_Tokens;
    QString m_Problem;
};
