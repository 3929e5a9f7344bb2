// Instrument replies and request frames are outside input: the reply splitter, every reply
// decoder and the emulator's strict frame reader must take any bytes without crashing.
#include "EmulatorFrameReader.h"
#include "Qel8624Protocol.h"
#include "RS232Comms.h"

#include <cstddef>
#include <cstdint>

using namespace Qel8624;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The transport hands the splitter a buffer that ends at the first ":~:".
    QByteArray frame = bytes;
    if (const auto end = frame.indexOf(":~:"); end >= 0)
        frame.truncate(end + 3);
    const auto fields = TVuroRS232Comms::SplitReply(frame);
    if (fields) {
        const QString text = QString::fromLatin1(frame);
        (void)ErrorNumber(*fields);
        (void)DecodeStatus(*fields, text, TestStatus::Measuring);
        (void)DecodeIdentification(*fields);
        (void)DecodeCalibration(*fields);
        (void)DecodeMemoryDirectory(fields->value(1));
        (void)FirmwareVersionNumber(fields->value(1));
        (void)DecodeLiveQ(*fields);
        // Float fields that are no numbers are a conversion error the instrument thread catches.
        try {
            (void)DecodeInfo(*fields);
        } catch (const EConvertError&) {
        }
        try {
            (void)DecodeStoredSetup(*fields);
        } catch (const EConvertError&) {
        }
        try {
            (void)DecodeStoredTap(*fields);
        } catch (const EConvertError&) {
        }
        try {
            (void)DecodeTestTap(*fields);
        } catch (const EConvertError&) {
        }
        try {
            (void)DecodeLiveP(*fields);
        } catch (const EConvertError&) {
        }
        try {
            (void)DecodeLiveK(*fields);
        } catch (const EConvertError&) {
        }
        // What the splitter gives back must survive a round trip through the frame builder.
        QStringList values = *fields;
        if (!values.isEmpty() && values.constLast() == QLatin1String("~"))
            values.removeLast();
        if (!values.isEmpty() && values.constFirst().startsWith(QLatin1Char('+'))) {
            values[0].remove(0, 1);
            const auto again = TVuroRS232Comms::SplitReply(TVuroRS232Comms::BuildFrame(values));
            if (!again || again->size() != values.size() + 1)
                __builtin_trap();
            for (qsizetype i = 1; i < values.size(); ++i)
                if (again->at(i) != values.at(i))
                    __builtin_trap();
        }
    }
    TEmulatorFrameReader reader;
    (void)reader.Feed(bytes);
    return 0;
}
