#include "CommIFace.h"

QByteArray TCommIFace::Terminator(TEndOfSequence eos) {
    switch (eos) {
    case eosCR:
        return QByteArray("\r");
    case eosLF:
        return QByteArray("\n");
    case eosCRLF:
        return QByteArray("\r\n");
    case eosEOT:
        return QByteArray("\x04");
    case eosEOI:
    case eosEOILF:
    case eosNone:
        return {};
    }
    return {};
}
