#include "EmulatorInstrument.h"

#include "RS232Comms.h"

#include <QHash>

#include <cmath>

using Comms = TVuroRS232Comms;
using namespace Qel8624;

namespace {

// Argument kinds: i an integer (exactly 8 upper-case hex digits), f a float (its bit pattern in
// upper-case hex without leading zeros), t text.
const QHash<QString, QString>& Signatures() {
    static const QHash<QString, QString> s = {
        {"C O", ""},       {"C M", ""},     {"C C", ""},      {"I", ""},      {"S I", ""},    {"S P", ""},
        {"S Q", ""},       {"S K", ""},     {"S G", "i"},     {"S C", "ii"},  {"S H", "iii"}, {"S O", "i"},
        {"T M Q", ""},     {"T M R", ""},   {"T M H", ""},    {"T M C", ""},  {"T R T", "i"}, {"T S V", "ii"},
        {"T S T", "iiif"}, {"T S N", "ff"}, {"T S I", "fff"}, {"T I S", "t"}, {"T I L", "t"}, {"T I T", "t"},
        {"T I O", "t"},    {"T I D", "f"},  {"M G", ""},      {"M F", "i"},   {"M R S", "i"}, {"M R I", "i"},
        {"M R T", "ii"},
    };
    return s;
}

bool IsUpperHex(const QString& t) {
    for (const QChar c : t)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return false;
    return !t.isEmpty();
}

QString CheckArgument(QChar kind, const QString& t) {
    if (kind == QLatin1Char('i') && !(t.size() == 8 && IsUpperHex(t)))
        return QStringLiteral("'%1' is no 8-digit integer").arg(t);
    if (kind == QLatin1Char('f') &&
        !(t.size() <= 8 && IsUpperHex(t) && (t == QLatin1String("0") || !t.startsWith(QLatin1Char('0')))))
        return QStringLiteral("'%1' is no float bit pattern").arg(t);
    return {};
}

float F(const QString& t) {
    return Comms::DecodeFloat(t).value_or(0);
}
qint32 I(const QString& t) {
    return Comms::DecodeInt(t);
}
QString Fl(double v) {
    return Comms::FloatToken(float(v));
}
QString In(qint32 v) {
    return Comms::IntToken(v);
}

QStringList TapFields(const TTapReply& tap) {
    QStringList f{Fl(tap.HvNominal), Fl(tap.LvNominal)};
    for (const auto& p : tap.Phase)
        f << Fl(p.Ratio) << Fl(p.Current) << Fl(p.PhaseDeviation);
    return f;
}

} // namespace

QByteArray TEmulatorInstrument::Ok(const QStringList& values) {
    return Comms::BuildFrame(QStringList{QStringLiteral("OK")} + values);
}

QByteArray TEmulatorInstrument::Error(qint32 number) {
    return Comms::BuildFrame({QStringLiteral("ERROR"), In(number)});
}

QString TEmulatorInstrument::Check(const QStringList& tokens) {
    QString command;
    QStringList args;
    return Parse(tokens, command, args).Problem;
}

TEmulatorInstrument::TAnswer TEmulatorInstrument::Parse(const QStringList& tokens, QString& command,
                                                        QStringList& args) {
    // The command is the longest run of leading tokens that names one; the rest are arguments.
    int argStart = 0;
    for (int n = std::min<int>(3, int(tokens.size())); n > 0; --n) {
        const QString name = tokens.mid(0, n).join(QLatin1Char(' '));
        if (Signatures().contains(name)) {
            command = name;
            argStart = n;
            break;
        }
    }
    if (command.isEmpty())
        return {Error(ErrUnknown), QStringLiteral("unknown request")};
    const QString signature = Signatures().value(command);
    args = tokens.mid(argStart);
    if (args.size() != signature.size())
        return {Error(ErrMalformed), QStringLiteral("%1 takes %2 arguments, got %3")
                                         .arg(command)
                                         .arg(signature.size())
                                         .arg(args.size())};
    for (int i = 0; i < args.size(); ++i)
        if (const QString p = CheckArgument(signature.at(i), args.at(i)); !p.isEmpty())
            return {Error(ErrMalformed), p};
    return {};
}

TEmulatorInstrument::TAnswer TEmulatorInstrument::Answer(const QStringList& tokens, TClock::time_point now) {
    QString command;
    QStringList args;
    if (TAnswer refused = Parse(tokens, command, args); !refused.Problem.isEmpty())
        return refused;

    if (command == QLatin1String("C O") || command == QLatin1String("C M") || command == QLatin1String("C C"))
        return {Ok(), {}};
    if (command == QLatin1String("I"))
        return {Ok({Identity.Type, Identity.SerialNumber, Identity.Firmware}), {}};
    if (command == QLatin1String("S I"))
        return {Ok({Identity.CalibratedBy, Comms::EncodeDateTime(Identity.LastCalibration),
                    Comms::EncodeDateTime(Identity.NextCalibration)}),
                {}};
    if (command.startsWith(QLatin1Char('M')))
        return Memory(command, args);
    if (command.startsWith(QLatin1Char('T')))
        return Test(command, args, now);
    return Live(command, args, now);
}

const TEmulatorStoredTest* TEmulatorInstrument::Slot(qint32 slot) const {
    for (const auto& t : Stored)
        if (t.Slot == slot)
            return &t;
    return nullptr;
}

TEmulatorInstrument::TAnswer TEmulatorInstrument::Memory(const QString& command, const QStringList& args) {
    if (command == QLatin1String("M G")) {
        QString dir(MemorySlots, QLatin1Char(' '));
        for (const auto& t : Stored)
            if (t.Slot >= 1 && t.Slot <= MemorySlots)
                dir[t.Slot - 1] = t.SetupOnly ? QLatin1Char('S') : QLatin1Char('R');
        return {Ok({dir}), {}};
    }
    const qint32 slot = I(args.at(0));
    if (command == QLatin1String("M F")) {
        // Slot 0 is the working test of the instrument, cleared before a new test; it holds
        // nothing here, so only numbered slots lose their contents.
        Stored.removeIf([slot](const TEmulatorStoredTest& t) { return t.Slot == slot; });
        return {Ok(), {}};
    }
    const auto* test = Slot(slot);
    if (!test)
        return {Error(ErrEmptySlot), {}};
    if (command == QLatin1String("M R S")) {
        const auto& s = test->Setup;
        return {Ok({In(s.VectorGroup.Pack()), In(s.TestVoltage), Fl(s.HvNominal), Fl(s.LvNominal),
                    In(s.TotalTaps), In(s.BottomTap), In(s.NominalTap), Fl(s.TapStep),
                    In(test->SetupOnly ? 0 : qint32(test->Taps.size()))}),
                {}};
    }
    if (command == QLatin1String("M R I")) {
        const auto& i = test->Info;
        return {Ok({i.DutSerialNumber, i.DutLocation, i.DutType, i.Operator, Fl(i.MaxDeviation),
                    Comms::EncodeDateTime(i.TestDate)}),
                {}};
    }
    const qint32 tap = I(args.at(1)); // M R T
    if (test->SetupOnly || tap < 0 || tap >= test->Taps.size())
        return {Error(ErrEndOfList), {}};
    const auto& t = test->Taps.at(tap);
    return {Ok(TapFields(t) << In(t.Flagged ? 1 : 0)), {}};
}

TestStatus TEmulatorInstrument::Status(TClock::time_point now) {
    CompleteTap(now);
    if (m_Measuring)
        return TestStatus::Measuring;
    if (m_Running && m_Results.size() < std::max(1, Setup.TapA))
        return TestStatus::TapWait;
    return TestStatus::Idle;
}

void TEmulatorInstrument::CompleteTap(TClock::time_point now) {
    if (!m_Measuring || (!m_FinishNow && now - m_MeasureStart < std::chrono::milliseconds(MeasuringMs)))
        return;
    m_Measuring = false;
    m_FinishNow = false;
    m_Results.append(Measure(int(m_Results.size())));
}

TTapReply TEmulatorInstrument::Measure(int tap) {
    TTapReply r;
    r.HvNominal = Setup.HvNominal;
    r.LvNominal = Setup.LvNominal;
    if (tap < TapLines.size()) {
        r.HvNominal = TapLines.at(tap).value(1);
        r.LvNominal = TapLines.at(tap).value(2);
    }
    const double factor = VectorGroupRatioFactor(Setup.VectorGroup.Hv, Setup.VectorGroup.Lv);
    const double ideal = r.LvNominal > 0 ? factor * r.HvNominal / r.LvNominal : 0;
    std::uniform_real_distribution<double> error(-0.004, 0.004), phase(-0.05, 0.05), current(0.5, 5.0);
    for (auto& p : r.Phase) {
        p.Ratio = float(ideal * (1 + error(Random)));
        p.PhaseDeviation = float(phase(Random));
        p.Current = float(current(Random));
    }
    return r;
}

TEmulatorInstrument::TAnswer TEmulatorInstrument::Test(const QString& command, const QStringList& args,
                                                       TClock::time_point now) {
    if (command == QLatin1String("T S V")) {
        Setup.VectorGroup = TVectorGroup::Unpack(I(args.at(0)));
        // Automatic configuration: the instrument reports what it finds on its terminals.
        TVectorGroup& vg = Setup.VectorGroup;
        if (Connected.Clock != ClockNotSet &&
            (vg.Hv == conNotSet || vg.Lv == conNotSet || vg.Clock == ClockNotSet))
            vg = Connected;
        Setup.TestVoltage = float(I(args.at(1)));
        m_HaveVector = true;
        TapLines.clear();
    } else if (command == QLatin1String("T S T")) {
        Setup.TapA = I(args.at(0));
        Setup.TapB = I(args.at(1));
        Setup.TapC = I(args.at(2));
    } else if (command == QLatin1String("T S N")) {
        Setup.HvNominal = F(args.at(0));
        Setup.LvNominal = F(args.at(1));
        m_HaveNominal = true;
    } else if (command == QLatin1String("T I S")) {
        Setup.DutSerialNumber = args.at(0);
    } else if (command == QLatin1String("T I L")) {
        Setup.DutLocation = args.at(0);
    } else if (command == QLatin1String("T I T")) {
        Setup.DutType = args.at(0);
    } else if (command == QLatin1String("T I O")) {
        Setup.Operator = args.at(0);
    } else if (command == QLatin1String("T I D")) {
        Setup.MaxDeviation = F(args.at(0));
    } else if (command == QLatin1String("T S I")) {
        // One line per tap of the setup; the line after the last one ends the list.
        if (TapLines.size() >= std::min(Setup.TapA, MaxTaps))
            return {Error(ErrEndOfList), {}};
        TapLines.append({F(args.at(0)), F(args.at(1)), F(args.at(2))});
    } else if (command == QLatin1String("T M R")) {
        if (!m_HaveVector || !m_HaveNominal)
            return {Error(ErrNoSetup), {}};
        m_Results.clear();
        m_Running = true;
        m_Measuring = true;
        m_FinishNow = false;
        m_MeasureStart = now;
    } else if (command == QLatin1String("T M H")) {
        CompleteTap(now);
        m_Measuring = false;
        m_Running = false;
    } else if (command == QLatin1String("T M C")) {
        if (Status(now) != TestStatus::TapWait)
            return {Error(ErrWrongState), {}};
        m_Measuring = true;
        m_FinishNow = false;
        m_MeasureStart = now;
    } else if (command == QLatin1String("T M Q")) {
        const TestStatus status = Status(now);
        const qint32 voltage = status == TestStatus::Measuring ? qint32(Setup.TestVoltage) : 255;
        const qint32 packed = m_HaveVector ? Setup.VectorGroup.Pack() : TVectorGroup{}.Pack();
        return {Ok({In(qint32(status)), In(packed), In(voltage), In(0)}), {}};
    } else if (command == QLatin1String("T R T")) {
        CompleteTap(now);
        const qint32 n = I(args.at(0));
        if (n < 0 || n >= m_Results.size())
            return {Error(ErrEndOfList), {}};
        return {Ok(TapFields(m_Results.at(n))), {}};
    }
    return {Ok(), {}};
}

namespace {
// Phase of a measurement connection and what it shows: 1 the first voltage ratio K1, 2 the
// second K2, 3 the auto-transformer's full secondary (X1 against X0 over both windings).
struct TLiveConnection {
    int Phase = -1;
    int Role = 0;
};
TLiveConnection ConnectionOf(qint32 selection) {
    switch (selection) {
    case 49:
        return {0, 1};
    case 48:
        return {0, 2};
    case 65:
        return {1, 1};
    case 66:
        return {1, 2};
    case 80:
        return {2, 1};
    case 82:
        return {2, 2};
    case 54:
        return {0, 3};
    case 55:
        return {0, 2};
    case 56:
        return {0, 1};
    case 71:
        return {1, 3};
    case 72:
        return {1, 2};
    case 70:
        return {1, 1};
    case 88:
        return {2, 3};
    case 86:
        return {2, 2};
    case 87:
        return {2, 1};
    default:
        return {};
    }
}
} // namespace

void TEmulatorInstrument::SetLiveModel(const TEmulatorLiveModel& model) {
    if (model.EmergencyStop)
        OutputOn = false;
    Model = model;
}

double TEmulatorInstrument::SelectedRatio(qint32 selection) const {
    // Two voltage ratios K1 = k(1 - t) and K2 = k(1 + t) with t = tan(shift) / sqrt(3) are what
    // a winding pair with the configured turns ratio and phase shift shows on the two
    // measurement connections of each phase. The auto-transformer's secondaries are chosen so
    // that the full one less each partial one gives V1 / K1 and V1 / K2.
    const TLiveConnection c = ConnectionOf(selection);
    if (c.Phase < 0)
        return Model.TurnsRatio[0];
    const double pi = std::acos(-1.0);
    const double t = std::tan(Model.PhaseShift[c.Phase] * pi / 180) / std::sqrt(3.0);
    const double k = Model.TurnsRatio[c.Phase] * std::sqrt(1 + 3 * t * t) / (1 - t * t);
    const double k1 = k * (1 - t), k2 = k * (1 + t);
    switch (c.Role) {
    case 1:
        return k1;
    case 2:
        return k2;
    default:
        return 1 / (1 / k1 + 1 / k2);
    }
}

TEmulatorInstrument::TReading TEmulatorInstrument::Reading(qint32 selection) const {
    if (!OutputOn || Model.OutputFail)
        return {};
    double primary = 100;
    if (m_SelectVoltage > 0)
        primary = m_SelectVoltage;
    else if (m_VoltageCodeGiven)
        primary = Model.TestVoltages[m_VoltageCode == 16   ? 1
                                     : m_VoltageCode == 48 ? 2
                                     : m_VoltageCode == 96 ? 3
                                                           : 0];
    const double ratio = SelectedRatio(selection);
    return {primary, ratio > 0 && !Model.ZeroSecondary ? primary / ratio : 0};
}

double TEmulatorInstrument::CountsSince(TClock::time_point since, TClock::time_point now) const {
    return std::chrono::duration<double>(now - since).count() * Model.CounterRate;
}

TEmulatorInstrument::TReading TEmulatorInstrument::LiveReading(TClock::time_point now, bool& valid) const {
    valid = OutputOn || Model.ValidWhileOff;
    if (m_Selected && Model.SettlingCounts > 0 && CountsSince(m_SelectedAt, now) < Model.SettlingCounts) {
        if (Model.SettlingInvalid)
            valid = false;
        return m_Held;
    }
    return Reading(m_Selection);
}

TEmulatorInstrument::TAnswer TEmulatorInstrument::Live(const QString& command, const QStringList& args,
                                                       TClock::time_point now) {
    if (command == QLatin1String("S H") && FirmwareVersionNumber(Identity.Firmware) < ExtendedSelectFirmware)
        return {Error(ErrUnknown), {}};
    if (command == QLatin1String("S G")) {
        m_VoltageCode = I(args.at(0));
        m_VoltageCodeGiven = true;
    } else if (command == QLatin1String("S C") || command == QLatin1String("S H")) {
        bool valid = false;
        const TReading before = LiveReading(now, valid);
        m_Selected = true;
        m_Selection = I(args.at(0));
        m_SelectVoltage = I(args.at(1));
        m_Mode = command == QLatin1String("S H") ? I(args.at(2)) : 0;
        m_Held = before;
        m_SelectedAt = now;
    } else if (command == QLatin1String("S O")) {
        // The emergency stop holds the output off whatever is asked.
        const bool on = I(args.at(0)) != 0 && !Model.EmergencyStop;
        if (on && !OutputOn)
            m_OutputSince = now;
        OutputOn = on;
    } else if (command == QLatin1String("S P")) {
        bool valid = false;
        const TReading r = LiveReading(now, valid);
        // The counter runs at CounterRate while the output is on (20 per second: the settling
        // wait of a phase shift detection lasts about three seconds).
        qint32 counter = 0;
        if (OutputOn || Model.ValidWhileOff)
            counter = Model.CounterStuck
                          ? Model.CounterStart
                          : qint32(Model.CounterStart + std::floor(CountsSince(m_OutputSince, now)));
        const qint32 statusByte = (valid ? 0x80 : 0) | (Model.OutputFail ? 0x40 : 0);
        const qint32 condition = (Model.EmergencyStop ? 0 : 0x8000) | (Model.CablesUnplugged ? 0 : 0x4000);
        return {Ok({Fl(r.Primary), Fl(r.Secondary), Fl(0), Fl(0), Fl(0),
                    In((counter & 0xFF) | (statusByte << 8)), In(condition)}),
                {}};
    } else if (command == QLatin1String("S Q")) {
        return {Ok({In(1), In(0), In(0)}), {}};
    } else if (command == QLatin1String("S K")) {
        bool valid = false;
        const TReading r = LiveReading(now, valid);
        return {Ok({Fl(r.Primary), Fl(r.Secondary), In(0), In(0)}), {}};
    }
    return {Ok(), {}};
}
