#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The stand-in line printer on the master side of a pseudo-terminal: it takes bytes no faster
// than the serial line delivers them, answers with the status bytes it is told to send (XON,
// XOFF, "P" for paper out) and decodes what it received into the printer's items.
class TPrinterEmulator {
public:
    struct TItem {
        enum TKind { Init, ModeSet, Text, Image, Unknown };
        TKind Kind = Text;
        int Mode = 0;     // the print mode in force (Text), the mode set (ModeSet)
        QByteArray Bytes; // the text without its CR (Text), the raster bytes (Image), the ESC pair
        bool operator==(const TItem&) const = default;
    };

    explicit TPrinterEmulator(int baud = 9600);
    ~TPrinterEmulator();
    TPrinterEmulator(const TPrinterEmulator&) = delete;
    TPrinterEmulator& operator=(const TPrinterEmulator&) = delete;

    // Switches the printer on: a fresh pseudo-terminal, reached also through linkPath (a symbolic
    // link) when one is given, so that a program can be told the port before the printer is on.
    bool Start(const QString& linkPath = QString());
    // Switches it off: the line hangs up and the link goes.
    void Stop();
    QString SlavePath() const;
    QString ErrorText() const;

    // Sends one status byte; the result is the count of bytes the printer had received before it
    // went out (what was on its way included).
    qsizetype Send(char status);

    QByteArray Received() const;
    qsizetype ReceivedCount() const;
    QList<TItem> Items() const;
    // The texts of the Text items, and the Mode in force for each.
    QStringList TextLines() const;
    QList<QByteArray> ImageLines() const;
    void Clear();

private:
    struct TPrivate;
    std::unique_ptr<TPrivate> d;
};
