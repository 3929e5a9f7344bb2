// The operator's choice of another instrument port.
#include "QelGlobals.h"

#include "Qel8624Device.h"

#include <QTimer>

bool TQelGlobal::ChangePort(const QString& port) {
    if (SimulationMode)
        return false;
    // The old link says goodbye before the new port opens; should the new one fail, the link is
    // down without the operator's word and is tried again by name.
    FLinkWanted = true;
    FReconnectTimer->stop();
    FQel->RequestDisconnect();
    const bool opened = FQel->Open(port);
    if (opened)
        FQel->RequestConnect();
    else if (FQel->State() == LinkState::Disconnected)
        FReconnectTimer->start();
    return opened;
}
